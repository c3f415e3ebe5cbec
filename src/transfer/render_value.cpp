#include "transfer/render_value.h"

#include <cstdio>

#include "db/source_error.h"

namespace skerrow {

namespace {

std::string Quoted(std::string_view text, const SqlEscaper& escape) {
  return "'" + escape(text) + "'";
}

std::string RenderDecimal(const std::string& exact) {
  // The text goes into the statement unquoted: only a real number may pass.
  std::optional<std::string> canonical = MakeDecimal(exact);
  if (!canonical)
    throw SourceError(std::string("Skerrow"), kCodeInvalidArgument,
                      "The value \"" + exact + "\" of a NUMBER column is not a number.");
  return *canonical;
}

std::string DoubleText(double value) {
  char buffer[400];  // "%f" of the largest double has 309 integer digits
  std::snprintf(buffer, sizeof buffer, "%f", value);
  return buffer;
}

std::size_t Utf8SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;  // continuation byte, overlong lead (C0, C1) or beyond U+10FFFF
}

bool IsContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

}  // namespace

std::string HexText(std::string_view bytes) {
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

bool IsUtf8Text(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    if (lead == 0) return false;
    const std::size_t length = Utf8SequenceLength(lead);
    if (length == 0 || i + length > bytes.size()) return false;
    for (std::size_t k = 1; k < length; ++k)
      if (!IsContinuation(static_cast<unsigned char>(bytes[i + k]))) return false;
    if (length >= 3) {
      const auto second = static_cast<unsigned char>(bytes[i + 1]);
      if (lead == 0xE0 && second < 0xA0) return false;  // overlong
      if (lead == 0xED && second > 0x9F) return false;  // UTF-16 surrogate
      if (lead == 0xF0 && second < 0x90) return false;  // overlong
      if (lead == 0xF4 && second > 0x8F) return false;  // beyond U+10FFFF
    }
    i += length;
  }
  return true;
}

std::string RenderValue(const Variant& value, std::string_view /*columnType*/,
                        const SqlEscaper& escape) {
  switch (value.Kind()) {
    case VariantKind::Null:
    case VariantKind::Empty:
      return "null";
    case VariantKind::Decimal:
      return RenderDecimal(value.Data());
    case VariantKind::Double:
      return Quoted(DoubleText(value.AsDouble()), escape);
    case VariantKind::Date:
      // An unsplittable date goes out as this text so the server refuses the row and says why,
      // instead of the row arriving with a made-up date.
      return Quoted(value.AsDate().IsValid() ? value.AsDate().ToString() : "Invalid DateTime",
                    escape);
    case VariantKind::Text:
      if (value.Data().empty()) return "null";
      return Quoted(value.Data(), escape);
    case VariantKind::ByteArray:
      if (value.Data().empty()) return "null";
      return Quoted(IsUtf8Text(value.Data()) ? value.Data() : HexText(value.Data()), escape);
  }
  throw SourceError(std::string("Skerrow"), kCodeInvalidArgument,
                    "A value of an unknown kind cannot be converted.");
}

}  // namespace skerrow
