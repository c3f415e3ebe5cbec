#include "text/hex.h"

namespace skerrow::text {

namespace {

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string HexOfBytes(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    hex.push_back(kDigits[byte >> 4]);
    hex.push_back(kDigits[byte & 0x0F]);
  }
  return hex;
}

std::optional<std::string> BytesOfHex(std::string_view hex) {
  std::string bytes;
  bytes.reserve(hex.size() / 2 + 1);
  std::size_t i = 0;
  if (hex.size() % 2 == 1) {
    const int low = HexDigitValue(hex[0]);
    if (low < 0) return std::nullopt;
    bytes.push_back(static_cast<char>(low));
    i = 1;
  }
  for (; i < hex.size(); i += 2) {
    const int high = HexDigitValue(hex[i]);
    const int low = HexDigitValue(hex[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(static_cast<char>(high * 16 + low));
  }
  return bytes;
}

}  // namespace skerrow::text
