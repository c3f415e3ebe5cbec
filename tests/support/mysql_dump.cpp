#include "support/mysql_dump.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#include "text/ascii.h"
#include "text/hex.h"
#include "text/utf8.h"

namespace skerrow::test {

namespace {

bool HasControlCharacter(const std::string& value) {
  return std::any_of(value.begin(), value.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
  });
}

// True when `value` begins with "YYYY-MM-DD HH:MM:SS" within a day of `moment` (a day covers
// any time zone the source may have used).
bool IsNear(const std::string& value, std::chrono::system_clock::time_point moment) {
  std::tm parts{};
  char tail = 0;
  if (value.size() < 19 ||
      std::sscanf(value.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &parts.tm_year, &parts.tm_mon,
                  &parts.tm_mday, &parts.tm_hour, &parts.tm_min, &parts.tm_sec, &tail) < 6)
    return false;
  parts.tm_year -= 1900;
  parts.tm_mon -= 1;
  // In seconds: a date centuries away (year 100) does not fit the clock's nanoseconds.
  const long long at = timegm(&parts);
  const long long now = std::chrono::system_clock::to_time_t(moment);
  return (at > now ? at - now : now - at) < 24 * 60 * 60;
}

std::string ShowValue(const std::optional<std::string>& value,
                      std::chrono::system_clock::time_point loadedAt) {
  if (!value) return "NULL";
  if (IsNear(*value, loadedAt)) return "NOW";
  if (text::IsValidUtf8(*value) && !HasControlCharacter(*value))
    return text::QuoteDoubling(*value, '\'');
  return "X'" + text::HexOfBytes(*value) + "'";
}

std::string Literal(const std::string& text) {
  return text::QuoteDoubling(text, '\'');
}

std::string Identifier(const std::string& name) {
  return text::QuoteDoubling(name, '`');
}

}  // namespace

std::string CanonicalDump(MySqlProbe& probe, const std::string& database,
                          std::chrono::system_clock::time_point loadedAt) {
  std::string dump;
  const auto schema = probe.Query(
      "SELECT DEFAULT_CHARACTER_SET_NAME, DEFAULT_COLLATION_NAME FROM information_schema.SCHEMATA "
      "WHERE SCHEMA_NAME = " +
      Literal(database));
  if (!schema || schema->size() != 1) return "database: " + probe.Error() + "\n";
  dump += "database " + schema->front()[0].value_or("NULL") + " " +
          schema->front()[1].value_or("NULL") + "\n";

  const auto tables = probe.Query(
      "SELECT TABLE_NAME FROM information_schema.TABLES WHERE TABLE_SCHEMA = " + Literal(database) +
      " ORDER BY BINARY TABLE_NAME");
  if (!tables) return dump + "tables: " + probe.Error() + "\n";
  for (const auto& tableRow : *tables) {
    const std::string table = tableRow[0].value_or("");
    const std::string qualified = Identifier(database) + "." + Identifier(table);
    dump += "\ntable " + Identifier(table) + "\n";
    const auto create = probe.Query("SHOW CREATE TABLE " + qualified);
    if (create && !create->empty() && create->front().size() > 1)
      dump += create->front()[1].value_or("NULL") + "\n";
    else
      dump += "create: " + probe.Error() + "\n";
    const auto rows = probe.Query("SELECT * FROM " + qualified);
    if (!rows) {
      dump += "rows: " + probe.Error() + "\n";
      continue;
    }
    std::vector<std::string> lines;
    for (const auto& row : *rows) {
      std::string line = "(";
      for (std::size_t i = 0; i < row.size(); ++i)
        line += (i ? "," : "") + ShowValue(row[i], loadedAt);
      lines.push_back(line + ")");
    }
    std::sort(lines.begin(), lines.end());
    dump += "rows " + std::to_string(lines.size()) + "\n";
    for (const auto& line : lines) dump += line + "\n";
  }
  return dump;
}

}  // namespace skerrow::test
