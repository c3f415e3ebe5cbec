#pragma once

#include <string>
#include <string_view>

namespace skerrow {

// `value` as it must follow "Key=" in a "Key=Value;Key=Value" connection string to be read
// back whole: unchanged when it holds no ';' and starts with no quote; otherwise enclosed in
// double quotes (single quotes when it holds a double quote but no single one), with the
// enclosing quote doubled wherever the value holds it. A service name such as
// "X;Data Source=Y" is thus one value, never cut at its ';'.
std::string ConnectionStringQuoted(std::string_view value);

// The value of `key` in a connection string (the first occurrence; keys compared without
// regard to ASCII case and surrounding blanks); empty when absent. A value that starts with a
// quote runs to the matching quote, doubled quotes standing for one, and may hold ';'.
std::string ConnectionStringValue(std::string_view text, std::string_view key);

}  // namespace skerrow
