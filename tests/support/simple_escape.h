#pragma once

#include <string>
#include <string_view>

namespace skerrow::test {

// Stands in for the connection's escaping in unit tests: doubles quotes and backslashes, so a
// test sees that every text passes through the escaper exactly once.
inline std::string SimpleEscape(std::string_view text) {
  std::string escaped;
  for (char c : text) {
    if (c == '\'' || c == '\\') escaped.push_back(c);
    escaped.push_back(c);
  }
  return escaped;
}

}  // namespace skerrow::test
