#pragma once

#include <stdexcept>
#include <string>

#include "oracle/sql_error.h"

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

}  // namespace skerrow::oracle
