#include "transfer/number_literals.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "db/variant.h"
#include "text/ascii.h"

namespace skerrow {

namespace {

// What MySQL reads exactly as a DECIMAL literal.
constexpr std::size_t kMaxExactDigits = 65;
constexpr std::size_t kMaxExactFractionDigits = 30;

struct DecimalParts {
  bool negative = false;
  std::string_view integer;   // "0" for a value below 1
  std::string_view fraction;  // empty for a whole number
};

DecimalParts SplitDecimal(std::string_view canonical) {
  DecimalParts parts;
  if (canonical.starts_with('-')) {
    parts.negative = true;
    canonical.remove_prefix(1);
  }
  const auto point = canonical.find('.');
  parts.integer = canonical.substr(0, point);
  if (point != std::string_view::npos) parts.fraction = canonical.substr(point + 1);
  return parts;
}

}  // namespace

std::string DecimalLiteral(std::string_view canonical) {
  const DecimalParts parts = SplitDecimal(canonical);
  const std::size_t integerDigits = parts.integer == "0" ? 0 : parts.integer.size();
  if (integerDigits + parts.fraction.size() <= kMaxExactDigits &&
      parts.fraction.size() <= kMaxExactFractionDigits)
    return std::string(canonical);
  // d.ddddE+n from all the digits, without the zeros that only place the point.
  std::string digits(parts.integer == "0" ? std::string_view() : parts.integer);
  digits += parts.fraction;
  const std::size_t first = digits.find_first_not_of('0');
  if (first == std::string::npos) return "0";
  const long exponent = static_cast<long>(integerDigits) - 1 - static_cast<long>(first);
  std::string significant = digits.substr(first);
  significant.erase(significant.find_last_not_of('0') + 1);
  std::string literal = parts.negative ? "-" : "";
  literal += significant[0];
  if (significant.size() > 1) literal += "." + significant.substr(1);
  literal += exponent < 0 ? "E-" : "E+";
  literal += std::to_string(exponent < 0 ? -exponent : exponent);
  return literal;
}

std::optional<std::string> DoubleStoredText(std::string_view canonical) {
  double value = 0;
  const auto [end, error] =
      std::from_chars(canonical.data(), canonical.data() + canonical.size(), value);
  if (error == std::errc::result_out_of_range) return std::string("a number out of DOUBLE's range");
  if (error != std::errc() || end != canonical.data() + canonical.size())
    return std::string("not a number");
  const std::string stored = ShortestDoubleText(value);
  const std::optional<std::string> readBack = MakeDecimal(stored);
  if (readBack && *readBack == canonical) return std::nullopt;
  return stored;
}

std::string ShortestDoubleText(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::optional<double> ParseBinaryNumberText(std::string_view text, bool singlePrecision) {
  std::string_view number = text::TrimmedView(text);
  bool negative = false;
  if (!number.empty() && (number.front() == '+' || number.front() == '-')) {
    negative = number.front() == '-';
    number.remove_prefix(1);
  }
  if (text::EqualsIgnoringAsciiCase(number, "Inf") ||
      text::EqualsIgnoringAsciiCase(number, "Infinity"))
    return negative ? -std::numeric_limits<double>::infinity()
                    : std::numeric_limits<double>::infinity();
  if (text::EqualsIgnoringAsciiCase(number, "Nan")) return std::numeric_limits<double>::quiet_NaN();
  // Only what Oracle writes: digits, a point and an exponent, no second sign.
  if (number.empty() || number.front() == '+' || number.front() == '-') return std::nullopt;
  const char* begin = number.data();
  const char* stop = number.data() + number.size();
  double value = 0;
  std::from_chars_result result{};
  if (singlePrecision) {
    float single = 0;
    result = std::from_chars(begin, stop, single);
    value = single;
  } else {
    result = std::from_chars(begin, stop, value);
  }
  if (result.ec != std::errc() || result.ptr != stop) return std::nullopt;
  return negative ? -value : value;
}

}  // namespace skerrow
