#include "schema/oracle_sql_text.h"

namespace skerrow {

namespace {

std::string Enclose(std::string_view text, char quote) {
  std::string result;
  result.reserve(text.size() + 2);
  result.push_back(quote);
  for (char c : text) {
    if (c == quote) result.push_back(quote);
    result.push_back(c);
  }
  result.push_back(quote);
  return result;
}

}  // namespace

std::string OracleTextLiteral(std::string_view text) {
  return Enclose(text, '\'');
}

std::string OracleQuotedName(std::string_view name) {
  return Enclose(name, '"');
}

std::string TrimWhiteSpace(std::string_view text) {
  constexpr std::string_view kWhiteSpace = " \t\n\v\f\r";
  const auto first = text.find_first_not_of(kWhiteSpace);
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(kWhiteSpace);
  return std::string(text.substr(first, last - first + 1));
}

}  // namespace skerrow
