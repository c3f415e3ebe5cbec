#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace skerrow::text {

// Length of the well-formed UTF-8 sequence that starts at `pos` (1 for ASCII, NUL included), or
// 0 when the bytes there are not one: a stray continuation byte, an overlong form, a UTF-16
// surrogate, a code point beyond U+10FFFF or a sequence cut short by the end of the text.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t pos);

// True when every byte of `text` belongs to a well-formed UTF-8 sequence.
bool IsValidUtf8(std::string_view text);

// Characters of a UTF-8 text (bytes that are not continuation bytes).
std::size_t Utf8Length(std::string_view text);

// The first `chars` characters of a UTF-8 text (all of it when it is shorter).
std::string_view Utf8Prefix(std::string_view text, std::size_t chars);

// Appends the UTF-8 form of a code point (at most U+10FFFF).
void AppendUtf8(std::string& out, std::uint32_t code);

}  // namespace skerrow::text
