#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace skerrow::text {

// Two upper-case hex digits per byte, as Oracle writes RAW values.
std::string HexOfBytes(std::string_view bytes);

// The bytes a hex text stands for (digits of either case); an odd count of digits reads as if a
// 0 stood before them, as Oracle's HEXTORAW does. Empty when a character is not a hex digit.
std::optional<std::string> BytesOfHex(std::string_view hex);

}  // namespace skerrow::text
