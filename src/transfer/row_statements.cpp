#include "transfer/row_statements.h"

#include "db/target_connection.h"
#include "text/ascii.h"
#include "transfer/oracle_sql_text.h"

namespace skerrow {

std::optional<std::vector<std::string>> SplitQuotedNameList(std::string_view list) {
  std::vector<std::string> names;
  std::size_t i = 0;
  while (i < list.size()) {
    if (list[i] != '"') return std::nullopt;
    std::string name;
    bool closed = false;
    for (++i; i < list.size(); ++i) {
      if (list[i] != '"') {
        name.push_back(list[i]);
      } else if (i + 1 < list.size() && list[i + 1] == '"') {
        name.push_back('"');
        ++i;
      } else {
        closed = true;
        ++i;
        break;
      }
    }
    if (!closed) return std::nullopt;
    names.push_back(std::move(name));
    if (i == list.size()) break;
    if (list[i] != ',' || i + 1 == list.size()) return std::nullopt;
    ++i;
  }
  return names;
}

std::string SourceOwner(std::string_view userName) {
  return text::ToUpperAscii(userName);
}

std::string RowQuery(std::string_view selectList, std::string_view owner,
                     std::string_view sourceTable) {
  std::string query = "Select ";
  query += selectList;
  query += " from ";
  query += OracleQuotedName(owner);
  query += ".";
  query += OracleQuotedName(sourceTable);
  query += " w";
  return query;
}

std::string InsertPrefix(std::string_view database, std::string_view targetTable,
                         const std::vector<std::string>& columns) {
  std::string prefix = "Insert into ";
  prefix += QuoteMySqlIdentifier(database);
  prefix += ".";
  prefix += QuoteMySqlIdentifier(targetTable);
  prefix += "(";
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (i > 0) prefix += ",";
    prefix += QuoteMySqlIdentifier(columns[i]);
  }
  prefix += ")values(";
  return prefix;
}

std::string RowStatement(std::string_view insertPrefix, std::string_view values) {
  std::string statement;
  statement.reserve(insertPrefix.size() + values.size() + 1);
  statement.append(insertPrefix);
  statement.append(values);
  statement.push_back(')');
  return statement;
}

std::string SkippedColumnUpdate(std::string_view database, std::string_view targetTable,
                                std::string_view column) {
  return "UPDATE " + QuoteMySqlIdentifier(database) + "." + QuoteMySqlIdentifier(targetTable) +
         " SET " + QuoteMySqlIdentifier(column) + "=''";
}

std::string RowCountQuery(std::string_view database, std::string_view targetTable) {
  return "SELECT COUNT(*) FROM " + QuoteMySqlIdentifier(database) + "." +
         QuoteMySqlIdentifier(targetTable);
}

}  // namespace skerrow
