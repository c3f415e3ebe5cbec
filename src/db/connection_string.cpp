#include "db/connection_string.h"

#include "text/ascii.h"

namespace skerrow {

namespace {

bool IsQuote(char c) {
  return c == '"' || c == '\'';
}

// The value enclosed by the quote at text[start]; `end` is set just past the closing quote (or
// to the end of the text when it is never closed, the rest being the value).
std::string UnquotedValue(std::string_view text, std::size_t start, std::size_t& end) {
  const char quote = text[start];
  std::string value;
  std::size_t i = start + 1;
  while (i < text.size()) {
    if (text[i] == quote) {
      if (i + 1 < text.size() && text[i + 1] == quote) {
        value += quote;
        i += 2;
        continue;
      }
      end = i + 1;
      return value;
    }
    value += text[i++];
  }
  end = text.size();
  return value;
}

}  // namespace

std::string ConnectionStringQuoted(std::string_view value) {
  const bool plain =
      value.find(';') == std::string_view::npos && (value.empty() || !IsQuote(value.front()));
  if (plain) return std::string(value);
  const bool hasDouble = value.find('"') != std::string_view::npos;
  const bool hasSingle = value.find('\'') != std::string_view::npos;
  return text::QuoteDoubling(value, hasDouble && !hasSingle ? '\'' : '"');
}

std::string ConnectionStringValue(std::string_view text, std::string_view key) {
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t equals = text.find_first_of("=;", start);
    if (equals == std::string_view::npos) break;
    if (text[equals] == ';') {  // a part without "=": nothing to read
      start = equals + 1;
      continue;
    }
    const std::string_view name = text::TrimmedView(text.substr(start, equals - start));
    const std::size_t valueStart = equals + 1;
    std::string value;
    std::size_t next;
    if (valueStart < text.size() && IsQuote(text[valueStart])) {
      std::size_t afterQuote = valueStart;
      value = UnquotedValue(text, valueStart, afterQuote);
      next = text.find(';', afterQuote);
    } else {
      next = text.find(';', valueStart);
      value = std::string(text.substr(
          valueStart, next == std::string_view::npos ? std::string_view::npos : next - valueStart));
    }
    if (text::EqualsIgnoringAsciiCase(name, key)) return value;
    if (next == std::string_view::npos) break;
    start = next + 1;
  }
  return {};
}

}  // namespace skerrow
