#include "support/program_run.h"

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
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

namespace {

// One file per run, so runs in parallel threads or processes cannot mix their outputs.
fs::path OutputFile(const std::string& what) {
  static std::atomic<int> runs{0};
  return fs::temp_directory_path() / ("skerrow-program-" + what + "-" + std::to_string(::getpid()) +
                                      "-" + std::to_string(runs++));
}

std::string ReadAndRemove(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  in.close();
  std::error_code ignored;
  fs::remove(file, ignored);
  return text.str();
}

// The shell command that runs `program` with `args` in `environment`, standard input empty.
std::string Command(const fs::path& program, const std::vector<std::string>& args,
                    const std::vector<std::string>& environment) {
  std::string command = "env";
  for (const auto& assignment : environment)
    command += " " + (assignment.rfind("-u ", 0) == 0 ? assignment : ShellQuote(assignment));
  command += " " + ShellQuote(program.string());
  for (const auto& arg : args) command += " " + ShellQuote(arg);
  return command + " </dev/null";
}

}  // namespace

ProgramRun RunProgram(const fs::path& program, const std::vector<std::string>& args,
                      const std::vector<std::string>& environment) {
  const fs::path errFile = OutputFile("err");
  const std::string command =
      Command(program, args, environment) + " 2>" + ShellQuote(errFile.string());

  ProgramRun run;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, got);
  const int waitStatus = ::pclose(pipe);
  run.status = WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -1;
  run.err = ReadAndRemove(errFile);
  return run;
}

RunningProgram::RunningProgram(const fs::path& program, const std::vector<std::string>& args,
                               const std::vector<std::string>& environment)
    : outFile_(OutputFile("out")), errFile_(OutputFile("err")) {
  // "exec" all the way down: the process signalled is the program itself.
  const std::string command = "exec " + Command(program, args, environment) + " >" +
                              ShellQuote(outFile_.string()) + " 2>" + ShellQuote(errFile_.string());
  pid_ = ::fork();
  if (pid_ != 0) return;
  std::signal(SIGINT, SIG_DFL);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
  ::_exit(127);
}

RunningProgram::~RunningProgram() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGKILL);
  Wait();
}

void RunningProgram::Signal(int signal) const {
  if (pid_ > 0) ::kill(pid_, signal);
}

ProgramRun RunningProgram::Wait() {
  ProgramRun run;
  if (pid_ <= 0) return run;
  int waitStatus = 0;
  while (::waitpid(pid_, &waitStatus, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  run.status = WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -1;
  run.out = ReadAndRemove(outFile_);
  run.err = ReadAndRemove(errFile_);
  return run;
}

}  // namespace skerrow::test
