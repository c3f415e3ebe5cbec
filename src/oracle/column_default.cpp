#include "oracle/column_default.h"

#include <cstdint>
#include <random>
#include <stdexcept>

#include "oracle/sql_datetime.h"
#include "text/ascii.h"

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

std::string RandomGuid() {
  static thread_local std::mt19937_64 generator{std::random_device{}()};
  std::string bytes;
  for (int i = 0; i < 2; ++i) {
    const std::uint64_t part = generator();
    for (int b = 0; b < 8; ++b) bytes.push_back(static_cast<char>((part >> (8 * b)) & 0xFF));
  }
  return bytes;
}

Variant EvaluateColumnDefault(std::string_view defaultText, const DefaultContext& context) {
  const std::string uncommented = WithoutComments(defaultText);
  std::string_view text = text::TrimmedView(uncommented);
  while (IsWrappedInParentheses(text)) text = text::TrimmedView(text.substr(1, text.size() - 2));
  const std::string word = text::ToUpperAscii(text);
  if (word.empty() || word == "NULL") return Variant::Null();
  if (auto literal = TextLiteral(text)) return Variant::FromText(*literal);
  if (auto number = MakeDecimal(text)) return Variant::FromDecimal(*number);
  if (word == "SYSDATE" || word == "CURRENT_DATE" || word == "SYSTIMESTAMP" ||
      word == "CURRENT_TIMESTAMP" || word == "LOCALTIMESTAMP")
    return Variant::FromDate(CurrentDate());
  if (word == "SYS_GUID()" || word == "SYS_GUID ()") return Variant::FromBytes(RandomGuid());
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
