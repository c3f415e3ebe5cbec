#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace skerrow {

// The kinds carry the tag numbers of the automation variant the conversion rules were written
// against, so rules and reports can name them by number.
enum class VariantKind : std::uint16_t {
  Empty = 0,
  Null = 1,
  Double = 5,
  Date = 7,
  Text = 8,
  Decimal = 14,
  ByteArray = 0x2011,
};

// "NULL", "TEXT", ... for tools and test output.
std::string_view VariantKindName(VariantKind kind);

// A calendar date and time of day as the source holds it (Oracle DATE has whole seconds).
// Years run from -4712 to 9999 in Oracle; only years 1 to 9999 can be split into calendar
// parts that a target DATETIME can hold.
struct SourceDate {
  std::int16_t year = 1;
  std::int8_t month = 1;
  std::int8_t day = 1;
  std::int8_t hour = 0;
  std::int8_t minute = 0;
  std::int8_t second = 0;

  // A real Gregorian calendar day in years 1..9999 and a valid time of day.
  bool IsValid() const;
  // "YYYY-MM-DD HH:MM:SS"; only meaningful when IsValid().
  std::string ToString() const;
  friend bool operator==(const SourceDate&, const SourceDate&) = default;
};

// One value of a fetched result. Text is UTF-8; a decimal is held as its exact canonical text
// ("-12.5", "0.001", "12345678901234567890123456789012345678"); a byte array as raw bytes.
class Variant {
 public:
  Variant() = default;  // Empty

  static Variant Null();
  static Variant FromText(std::string utf8);
  // `exact` must be canonical: optional "-", digits without leading zeros (a lone "0" before a
  // point is kept), optionally "." and digits without trailing zeros. Use MakeDecimal to
  // canonicalise arbitrary numeric text.
  static Variant FromDecimal(std::string exact);
  static Variant FromDouble(double value);
  static Variant FromDate(SourceDate date);
  static Variant FromBytes(std::string bytes);

  VariantKind Kind() const { return kind_; }
  bool IsNullOrEmpty() const { return kind_ == VariantKind::Null || kind_ == VariantKind::Empty; }

  // Raw payload access; each is only meaningful for its kind.
  const std::string& Data() const { return data_; }   // Text, Decimal, ByteArray
  double AsDouble() const { return number_; }         // Double
  const SourceDate& AsDate() const { return date_; }  // Date

  // The conversion to text: fails (nullopt) for Null; Empty gives "". Decimals give their exact
  // text, doubles the shortest text that reads back to the same value, dates "YYYY-MM-DD
  // HH:MM:SS" (fails for an invalid date), byte arrays their bytes unchanged.
  std::optional<std::string> ToText() const;
  // The conversion to a date: dates themselves (when valid), text in "YYYY-MM-DD[ HH:MM:SS]"
  // form, and numbers as automation dates (days since 1899-12-30). Everything else fails.
  std::optional<SourceDate> ToDate() const;

  friend bool operator==(const Variant& a, const Variant& b);

 private:
  VariantKind kind_ = VariantKind::Empty;
  double number_ = 0;
  SourceDate date_;
  std::string data_;
};

// Canonical exact decimal text for numeric text such as "+007.50", "-0", "1e3", ".5";
// nullopt when the text is not a number.
std::optional<std::string> MakeDecimal(std::string_view text);

}  // namespace skerrow
