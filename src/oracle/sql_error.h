#pragma once

#include <stdexcept>
#include <string>

namespace skerrow::oracle {

// A fault found while reading or running one statement, with the line of the text it is about
// (the script line for a script, 1 for a single query). Its text is Oracle's message where
// Oracle has one; the script loader adds the script's name.
class StatementError : public std::runtime_error {
 public:
  StatementError(int line, const std::string& message) : std::runtime_error(message), line_(line) {}
  int Line() const { return line_; }

 private:
  int line_;
};

}  // namespace skerrow::oracle
