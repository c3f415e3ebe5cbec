#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace skerrow::test {

// What a finished program left behind.
struct ProgramRun {
  int status = -1;  // the exit status; -1 when it did not exit normally
  std::string out;
  std::string err;
};

// `text` as one word for /bin/sh, whatever it holds.
std::string ShellQuote(const std::string& text);

// Runs `program` with `args` and the extra `environment` assignments (NAME=value, or "-u NAME"
// pairs as env takes them), standard input not a terminal, and collects both outputs.
ProgramRun RunProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                      const std::vector<std::string>& environment = {});

// A program started as RunProgram runs it, but not waited for: a test can signal it while it
// runs (Ctrl-C is SIGINT, with its usual effect whatever the test process does with it).
class RunningProgram {
 public:
  RunningProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                 const std::vector<std::string>& environment = {});
  ~RunningProgram();
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  bool Started() const { return pid_ > 0; }
  void Signal(int signal) const;
  // Waits for the end and collects what it printed.
  ProgramRun Wait();

 private:
  int pid_ = -1;
  std::filesystem::path outFile_;
  std::filesystem::path errFile_;
};

}  // namespace skerrow::test
