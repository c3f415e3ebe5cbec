#pragma once

#include <stdexcept>
#include <string>

namespace skerrow::oracle {

// A statement of a script that cannot be loaded: where it is and what is wrong with it.
class ScriptError : public std::runtime_error {
 public:
  ScriptError(std::string script, int line, std::string message)
      : std::runtime_error(script + ", line " + std::to_string(line) + ": " + message),
        script_(std::move(script)),
        line_(line),
        message_(std::move(message)) {}

  const std::string& Script() const { return script_; }
  int Line() const { return line_; }
  const std::string& Message() const { return message_; }

 private:
  std::string script_;
  int line_;
  std::string message_;
};

// A fault found while reading one statement, before the script's name is known; the loader
// turns it into a ScriptError.
class StatementError : public std::runtime_error {
 public:
  StatementError(int line, const std::string& message) : std::runtime_error(message), line_(line) {}
  int Line() const { return line_; }

 private:
  int line_;
};

}  // namespace skerrow::oracle
