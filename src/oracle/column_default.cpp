#include "oracle/column_default.h"

#include <ctime>
#include <stdexcept>

#include "oracle/oracle_names.h"

namespace skerrow::oracle {

namespace {

// The text without "--" comments outside literals.
std::string WithoutComments(std::string_view text) {
  std::string kept;
  bool inLiteral = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\'') inLiteral = !inLiteral;
    if (!inLiteral && text.substr(i, 2) == "--") {
      while (i < text.size() && text[i] != '\n') ++i;
      if (i < text.size()) kept += '\n';
      continue;
    }
    kept += text[i];
  }
  return kept;
}

std::string_view Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

bool IsWrappedInParentheses(std::string_view text) {
  if (text.size() < 2 || text.front() != '(' || text.back() != ')') return false;
  int depth = 0;
  bool inLiteral = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\'') inLiteral = !inLiteral;
    if (inLiteral) continue;
    if (text[i] == '(') ++depth;
    if (text[i] == ')' && --depth == 0 && i + 1 != text.size()) return false;
  }
  return true;
}

SourceDate Now() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return SourceDate{
      static_cast<std::int16_t>(local.tm_year + 1900), static_cast<std::int8_t>(local.tm_mon + 1),
      static_cast<std::int8_t>(local.tm_mday),         static_cast<std::int8_t>(local.tm_hour),
      static_cast<std::int8_t>(local.tm_min),          static_cast<std::int8_t>(local.tm_sec)};
}

std::optional<std::string> TextLiteral(std::string_view text) {
  if (text.size() < 2 || text.front() != '\'' || text.back() != '\'') return std::nullopt;
  std::string value;
  const auto inner = text.substr(1, text.size() - 2);
  for (std::size_t i = 0; i < inner.size(); ++i) {
    if (inner[i] == '\'') {
      if (i + 1 >= inner.size() || inner[i + 1] != '\'') return std::nullopt;
      ++i;
    }
    value += inner[i];
  }
  return value;
}

}  // namespace

Variant EvaluateColumnDefault(std::string_view defaultText, const DefaultContext& context) {
  const std::string uncommented = WithoutComments(defaultText);
  std::string_view text = Trimmed(uncommented);
  while (IsWrappedInParentheses(text)) text = Trimmed(text.substr(1, text.size() - 2));
  const std::string word = AsciiUpper(text);
  if (word.empty() || word == "NULL") return Variant::Null();
  if (auto literal = TextLiteral(text)) return Variant::FromText(*literal);
  if (auto number = MakeDecimal(text)) return Variant::FromDecimal(*number);
  if (word == "SYSDATE" || word == "CURRENT_DATE" || word == "SYSTIMESTAMP" ||
      word == "CURRENT_TIMESTAMP" || word == "LOCALTIMESTAMP")
    return Variant::FromDate(Now());
  if (word == "USER") return Variant::FromText(context.user);
  // An empty LOB, which Oracle keeps apart from NULL.
  std::string call;
  for (char c : word)
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') call.push_back(c);
  if (call == "EMPTY_CLOB()") return Variant::FromText("");
  if (call == "EMPTY_BLOB()") return Variant::FromBytes("");
  if (word == "UID") return Variant::FromDecimal(std::to_string(context.userId));
  throw std::runtime_error("the embedded instance cannot compute the default value " +
                           std::string(text) + "; name the column in the INSERT");
}

}  // namespace skerrow::oracle
