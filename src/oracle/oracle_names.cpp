#include "oracle/oracle_names.h"

namespace skerrow::oracle {

namespace {

char UpperAscii(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string Quote(std::string_view text, char quote) {
  std::string quoted(1, quote);
  for (char c : text) {
    quoted += c;
    if (c == quote) quoted += quote;
  }
  quoted += quote;
  return quoted;
}

}  // namespace

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
  return true;
}

std::string AsciiUpper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = UpperAscii(c);
  return upper;
}

std::string QuoteOracleName(std::string_view name) {
  return Quote(name, '"');
}
std::string QuoteOracleText(std::string_view text) {
  return Quote(text, '\'');
}

std::string StoredNameOf(std::string_view written) {
  if (written.size() >= 2 && written.front() == '"' && written.back() == '"') {
    std::string name;
    const auto inner = written.substr(1, written.size() - 2);
    for (std::size_t i = 0; i < inner.size(); ++i) {
      name += inner[i];
      if (inner[i] == '"' && i + 1 < inner.size() && inner[i + 1] == '"') ++i;
    }
    return name;
  }
  return AsciiUpper(written);
}

std::string QualifiedColumnName(std::string_view owner, std::string_view table,
                                std::string_view column) {
  return QuoteOracleName(owner) + "." + QuoteOracleName(table) + "." + QuoteOracleName(column);
}

}  // namespace skerrow::oracle
