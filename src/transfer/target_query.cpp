#include "transfer/target_query.h"

#include <mysql.h>

namespace skerrow {

TargetQuery::TargetQuery(TargetConnection& target, std::string_view sql) : target_(target) {
  MYSQL* handle = target_.Handle();
  if (!handle || !target_.IsConnected())
    throw TargetReadError("Not connected to a MySQL server.", 2006, true);
  if (mysql_real_query(handle, sql.data(), sql.size()) != 0) Fail("MySQL refused the query");
  result_ = mysql_use_result(handle);
  if (!result_) Fail("MySQL gave no rows for the query");
  fieldCount_ = mysql_num_fields(result_);
}

TargetQuery::~TargetQuery() {
  if (result_) mysql_free_result(result_);
}

bool TargetQuery::Next() {
  row_ = mysql_fetch_row(result_);
  if (!row_) {
    if (mysql_errno(target_.Handle()) != 0) Fail("MySQL stopped sending the rows");
    return false;
  }
  lengths_ = mysql_fetch_lengths(result_);
  return true;
}

void TargetQuery::Fail(const std::string& what) {
  MYSQL* handle = target_.Handle();
  const unsigned number = mysql_errno(handle);
  throw TargetReadError(
      what + ": " + mysql_error(handle) + " (MySQL error " + std::to_string(number) + ")", number,
      IsConnectionLostError(number));
}

std::vector<std::pair<std::string, std::string>> TargetColumnTypes(TargetConnection& target,
                                                                   std::string_view database,
                                                                   std::string_view table) {
  const std::string sql =
      "SELECT COLUMN_NAME, DATA_TYPE FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = '" +
      target.EscapeString(database) + "' AND TABLE_NAME = '" + target.EscapeString(table) +
      "' ORDER BY ORDINAL_POSITION";
  std::vector<std::pair<std::string, std::string>> columns;
  TargetQuery query(target, sql);
  while (query.Next())
    columns.emplace_back(std::string(query.Field(0)), std::string(query.Field(1)));
  return columns;
}

}  // namespace skerrow
