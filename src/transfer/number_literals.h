#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace skerrow {

// A canonical decimal (as Variant holds it) as a MySQL numeric literal: unchanged while MySQL
// reads it exactly as a DECIMAL (at most 65 digits, 30 of them after the point), else in
// exponent form ("1E+100", "-1.5E-40"), which MySQL reads as a floating-point number where
// it would clamp or cut the long form.
std::string DecimalLiteral(std::string_view canonical);

// What a DOUBLE column keeps of a canonical decimal when that is not the same number
// ("1.2345678901234568e+37" for 38 digits); nullopt when the value reads back unchanged.
std::optional<std::string> DoubleStoredText(std::string_view canonical);

// The shortest text that reads back as `value` ("3.141592653589793", "1e+100"); a MySQL
// literal for every finite value.
std::string ShortestDoubleText(double value);

// A BINARY_FLOAT or BINARY_DOUBLE value in Oracle's text ("3.141592653589793E+000", "1.5",
// "-Inf", "Nan"), read as the number it stands for; a BINARY_FLOAT's text is read as single
// precision. nullopt when the text is not a number.
std::optional<double> ParseBinaryNumberText(std::string_view text, bool singlePrecision);

}  // namespace skerrow
