#include "text/ascii.h"

namespace skerrow::text {

char UpperAscii(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string ToUpperAscii(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = UpperAscii(c);
  return upper;
}

std::string ToLowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
  return true;
}

std::string_view TrimmedView(std::string_view text) {
  constexpr std::string_view kWhiteSpace = " \t\n\v\f\r";
  const auto first = text.find_first_not_of(kWhiteSpace);
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(kWhiteSpace);
  return text.substr(first, last - first + 1);
}

std::string TrimWhiteSpace(std::string_view text) {
  return std::string(TrimmedView(text));
}

std::string QuoteDoubling(std::string_view text, char quote) {
  std::string quoted;
  quoted.reserve(text.size() + 2);
  quoted.push_back(quote);
  for (char c : text) {
    if (c == quote) quoted.push_back(quote);
    quoted.push_back(c);
  }
  quoted.push_back(quote);
  return quoted;
}

}  // namespace skerrow::text
