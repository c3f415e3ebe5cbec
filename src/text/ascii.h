#pragma once

#include <string>
#include <string_view>

namespace skerrow::text {

// Letters a-z as A-Z; every other byte (UTF-8 included) unchanged. SQL keywords and Oracle's
// unquoted names are folded this way, never by the locale.
char UpperAscii(char c);
std::string ToUpperAscii(std::string_view text);
std::string ToLowerAscii(std::string_view text);
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

// The text without leading and trailing blanks, tabs and line breaks (" \t\n\v\f\r").
std::string_view TrimmedView(std::string_view text);
std::string TrimWhiteSpace(std::string_view text);

// `text` between two `quote` characters, each `quote` inside it doubled: the way SQL writes
// 'text literals' and "quoted names".
std::string QuoteDoubling(std::string_view text, char quote);

}  // namespace skerrow::text
