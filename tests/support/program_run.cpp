#include "support/program_run.h"

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace skerrow::test {

namespace fs = std::filesystem;

std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

ProgramRun RunProgram(const fs::path& program, const std::vector<std::string>& args,
                      const std::vector<std::string>& environment) {
  // One file per run, so runs in parallel threads or processes cannot mix their errors.
  static std::atomic<int> runs{0};
  const fs::path errFile =
      fs::temp_directory_path() /
      ("skerrow-program-err-" + std::to_string(::getpid()) + "-" + std::to_string(runs++));
  std::string command = "env";
  for (const auto& assignment : environment)
    command += " " + (assignment.rfind("-u ", 0) == 0 ? assignment : ShellQuote(assignment));
  command += " " + ShellQuote(program.string());
  for (const auto& arg : args) command += " " + ShellQuote(arg);
  command += " </dev/null 2>" + ShellQuote(errFile.string());

  ProgramRun run;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, got);
  const int waitStatus = ::pclose(pipe);
  run.status = WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -1;
  run.err = TakeFileText(errFile);
  return run;
}

std::string TakeFileText(const fs::path& file) {
  std::ostringstream text;
  {
    std::ifstream in(file, std::ios::binary);
    text << in.rdbuf();
  }
  std::error_code ignored;
  fs::remove(file, ignored);
  return text.str();
}

}  // namespace skerrow::test
