#include "cli/password_input.h"

#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>

namespace skerrow::cli {
namespace {

// Switches terminal echo off for its lifetime.
class EchoSuppressor {
 public:
  explicit EchoSuppressor(int fd) : fd_(fd) {
    if (tcgetattr(fd_, &saved_) != 0) return;
    termios quiet = saved_;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    active_ = tcsetattr(fd_, TCSAFLUSH, &quiet) == 0;
  }
  ~EchoSuppressor() {
    if (active_) tcsetattr(fd_, TCSAFLUSH, &saved_);
  }
  EchoSuppressor(const EchoSuppressor&) = delete;
  EchoSuppressor& operator=(const EchoSuppressor&) = delete;

 private:
  int fd_;
  termios saved_{};
  bool active_ = false;
};

}  // namespace

std::optional<std::string> ReadHiddenLine(const std::string& prompt) {
  std::cerr << prompt << std::flush;
  std::string line;
  bool ok = false;
  {
    EchoSuppressor noEcho(STDIN_FILENO);
    ok = static_cast<bool>(std::getline(std::cin, line));
  }
  // The Enter the user typed was not echoed either.
  std::cerr << '\n';
  if (!ok) return std::nullopt;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

std::string ResolvePassword(const std::optional<std::string>& fromOption,
                            const char* environmentVariable, const std::string& prompt,
                            bool mayPrompt) {
  if (fromOption) return *fromOption;
  if (const char* value = std::getenv(environmentVariable); value && *value) return value;
  if (mayPrompt && isatty(STDIN_FILENO)) {
    if (auto typed = ReadHiddenLine(prompt)) return *typed;
  }
  return {};
}

}  // namespace skerrow::cli
