#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "db/target_connection.h"

struct st_mysql_res;

namespace skerrow {

// A statement the MySQL server failed, with its error number and message.
class TargetReadError : public std::runtime_error {
 public:
  TargetReadError(const std::string& what, unsigned number, bool connectionLost)
      : std::runtime_error(what), number_(number), connectionLost_(connectionLost) {}
  unsigned Number() const { return number_; }
  bool ConnectionLost() const { return connectionLost_; }

 private:
  unsigned number_;
  bool connectionLost_;
};

// The rows of one query, streamed from the server one at a time (mysql_use_result): memory
// stays that of one row, whatever the table holds. The connection carries nothing else until
// the object is gone; the rows not read by then are read and dropped.
class TargetQuery {
 public:
  // Sends `sql`; raises TargetReadError when the server refuses it.
  TargetQuery(TargetConnection& target, std::string_view sql);
  ~TargetQuery();
  TargetQuery(const TargetQuery&) = delete;
  TargetQuery& operator=(const TargetQuery&) = delete;

  std::size_t FieldCount() const { return fieldCount_; }
  // Moves to the next row; false after the last. Raises TargetReadError when the server
  // fails during the rows.
  bool Next();
  bool IsNull(std::size_t field) const { return row_[field] == nullptr; }
  std::string_view Field(std::size_t field) const {
    return row_[field] ? std::string_view(row_[field], lengths_[field]) : std::string_view();
  }

 private:
  [[noreturn]] void Fail(const std::string& what);

  TargetConnection& target_;
  st_mysql_res* result_ = nullptr;
  std::size_t fieldCount_ = 0;
  char** row_ = nullptr;
  unsigned long* lengths_ = nullptr;
};

// The columns of `database`.`table` in their order, each with information_schema's
// DATA_TYPE; empty when the server has no such table. Raises TargetReadError.
std::vector<std::pair<std::string, std::string>> TargetColumnTypes(TargetConnection& target,
                                                                   std::string_view database,
                                                                   std::string_view table);

}  // namespace skerrow
