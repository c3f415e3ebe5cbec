#include "transfer/verify_values.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdint>

#include "db/target_connection.h"
#include "db/variant.h"
#include "text/ascii.h"
#include "text/hex.h"
#include "text/utf8.h"
#include "transfer/number_literals.h"

namespace skerrow {

namespace {

// Shown values longer than this are cut: a report names a value, it does not carry it.
constexpr std::size_t kShownCharacters = 120;
constexpr std::size_t kShownBytes = 60;

bool OneOf(std::string_view type, std::initializer_list<std::string_view> names) {
  return std::find(names.begin(), names.end(), type) != names.end();
}

std::optional<double> ParseDouble(std::string_view text) {
  const std::string_view number = text::TrimmedView(text);
  double value = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (error != std::errc() || end != number.data() + number.size()) return std::nullopt;
  return value;
}

// MySQL shows no sign of zero, so -0 and 0 are one value here.
std::string DoubleCanonical(double value) {
  return ShortestDoubleText(value == 0 ? 0.0 : value);
}

// A number that does not parse keeps its text, marked so that it never equals a number.
std::string NumberCanonical(std::string_view text, ColumnClass columnClass) {
  if (columnClass == ColumnClass::Decimal) {
    if (auto exact = MakeDecimal(text::TrimmedView(text))) return *exact;
    return "?" + std::string(text);
  }
  const std::optional<double> value = ParseDouble(text);
  if (!value) return "?" + std::string(text);
  if (columnClass == ColumnClass::Float) return DoubleCanonical(static_cast<float>(*value));
  return DoubleCanonical(*value);
}

std::string WithoutPadding(std::string_view text) {
  const std::size_t end = text.find_last_not_of(' ');
  return std::string(text.substr(0, end == std::string_view::npos ? 0 : end + 1));
}

CanonicalValue Canonical(std::string_view text, ColumnClass columnClass) {
  switch (columnClass) {
    case ColumnClass::Double:
    case ColumnClass::Float:
    case ColumnClass::Decimal:
      return NumberCanonical(text, columnClass);
    case ColumnClass::FixedText:
      return WithoutPadding(text);
    case ColumnClass::DateTime:
    case ColumnClass::Text:
    case ColumnClass::Binary:
      break;
  }
  return std::string(text);
}

void AppendBigEndian(std::string& out, std::uint64_t value, int bytes) {
  for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8)
    out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

// Bytes with every 0x00 doubled as 00 FF and 00 00 at the end: a shorter text orders first.
void AppendStuffed(std::string& key, std::string_view bytes) {
  for (char c : bytes) {
    key.push_back(c);
    if (c == '\0') key.push_back('\xFF');
  }
  key.push_back('\0');
  key.push_back('\0');
}

void AppendDoubleKey(std::string& key, double value) {
  std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
  // Negative numbers order reversed, and after the sign bit the bits order as the magnitude.
  bits = (bits >> 63) != 0 ? ~bits : bits ^ (std::uint64_t{1} << 63);
  AppendBigEndian(key, bits, 8);
}

// A canonical decimal as a sign, its power of ten and its digits; for a negative number all
// of it inverted, so that a larger magnitude orders first.
void AppendDecimalKey(std::string& key, std::string_view decimal) {
  const bool negative = decimal.starts_with('-');
  if (negative) decimal.remove_prefix(1);
  const std::size_t point = decimal.find('.');
  const std::string_view integer = decimal.substr(0, point);
  const std::string_view fraction =
      point == std::string_view::npos ? std::string_view() : decimal.substr(point + 1);
  std::string digits = integer == "0" ? std::string() : std::string(integer);
  long exponent = static_cast<long>(digits.size());
  if (digits.empty()) {
    const std::size_t first = fraction.find_first_not_of('0');
    if (first == std::string_view::npos) {
      key.push_back('\x02');  // zero
      return;
    }
    exponent = -static_cast<long>(first);
    digits = std::string(fraction.substr(first));
  } else {
    digits += fraction;
  }
  digits.erase(digits.find_last_not_of('0') + 1);
  std::string body;
  AppendBigEndian(body, static_cast<std::uint64_t>(exponent + 0x8000), 2);
  body += digits;
  body.push_back('\0');
  if (negative)
    for (char& c : body) c = static_cast<char>(~static_cast<unsigned char>(c));
  key.push_back(negative ? '\x01' : '\x03');
  key += body;
}

bool IsShownAsText(std::string_view bytes) {
  if (!text::IsValidUtf8(bytes)) return false;
  return std::none_of(bytes.begin(), bytes.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && byte != '\t' && byte != '\n') || byte == 0x7F;
  });
}

}  // namespace

ColumnClass ColumnClassOf(std::string_view typed) {
  const std::string type = text::ToLowerAscii(text::TrimmedView(typed));
  if (type == "double" || type == "real") return ColumnClass::Double;
  if (type == "float") return ColumnClass::Float;
  if (OneOf(type, {"decimal", "numeric", "tinyint", "smallint", "mediumint", "int", "integer",
                   "bigint", "year", "bit"}))
    return ColumnClass::Decimal;
  if (OneOf(type, {"datetime", "date", "timestamp", "time"})) return ColumnClass::DateTime;
  if (type == "char") return ColumnClass::FixedText;
  if (OneOf(type, {"blob", "tinyblob", "mediumblob", "longblob", "binary", "varbinary"}))
    return ColumnClass::Binary;
  return ColumnClass::Text;
}

std::string TargetReadExpression(std::string_view column, ColumnClass columnClass) {
  std::string expression = QuoteMySqlIdentifier(column);
  // A FLOAT widened to DOUBLE keeps every bit, and DOUBLE's text is the shortest exact one.
  if (columnClass == ColumnClass::Float) expression += "+0e0";
  return expression;
}

CanonicalValue ExpectedCanonical(const WrittenValue& written, ColumnClass columnClass) {
  if (written.refusal || written.kind == WrittenValue::Kind::Null) return std::nullopt;
  if (written.kind == WrittenValue::Kind::Number) {
    switch (columnClass) {
      case ColumnClass::Double:
      case ColumnClass::Float:
      case ColumnClass::Decimal:
        return NumberCanonical(written.data, columnClass);
      default:
        return written.data;
    }
  }
  return Canonical(written.data, columnClass);
}

CanonicalValue TargetCanonical(std::string_view text, bool isNull, ColumnClass columnClass) {
  if (isNull) return std::nullopt;
  return Canonical(text, columnClass);
}

void AppendOrderedKey(std::string& key, const CanonicalValue& value, ColumnClass columnClass) {
  if (!value) {
    key.push_back('\0');
    return;
  }
  key.push_back('\x01');
  const bool number = columnClass == ColumnClass::Double || columnClass == ColumnClass::Float ||
                      columnClass == ColumnClass::Decimal;
  if (number && !value->starts_with('?')) {
    if (columnClass == ColumnClass::Decimal) {
      key.push_back('\x01');
      AppendDecimalKey(key, *value);
      return;
    }
    if (const std::optional<double> parsed = ParseDouble(*value)) {
      key.push_back('\x01');
      AppendDoubleKey(key, *parsed);
      return;
    }
  }
  // Texts, bytes, and numbers MySQL gave in a form that is not a number (after every number).
  key.push_back('\x02');
  AppendStuffed(key, *value);
}

ShownValue ShowCanonical(const CanonicalValue& value, ColumnClass columnClass) {
  if (!value) return {};
  if (columnClass != ColumnClass::Binary && IsShownAsText(*value)) {
    const std::string_view shown = text::Utf8Prefix(*value, kShownCharacters);
    if (shown.size() == value->size()) return {*value, false};
    return {
        std::string(shown) + "... (" + std::to_string(text::Utf8Length(*value)) + " characters)",
        false};
  }
  if (value->size() <= kShownBytes) return {text::HexOfBytes(*value), true};
  return {text::HexOfBytes(std::string_view(*value).substr(0, kShownBytes)) + "... (" +
              std::to_string(value->size()) + " bytes)",
          true};
}

std::string ShownValueText(const ShownValue& shown) {
  if (!shown.text) return "NULL";
  return shown.hex ? "X'" + *shown.text + "'" : *shown.text;
}

}  // namespace skerrow
