#pragma once

#include <optional>
#include <string>

namespace skerrow::oracle {

// Exact decimal arithmetic on canonical decimal texts (see MakeDecimal), as Oracle NUMBER
// computes it: sums, differences and products are exact; quotients have NUMBER's precision.
std::string DecimalAdd(const std::string& a, const std::string& b);
std::string DecimalSubtract(const std::string& a, const std::string& b);
std::string DecimalMultiply(const std::string& a, const std::string& b);
// nullopt for a division by zero. The operands are taken as the NUMBERs they stand for (see
// DecimalToNumberPrecision), so that the work is bounded however long their texts are.
std::optional<std::string> DecimalDivide(const std::string& a, const std::string& b);

// The value a NUMBER holds for `a`: 20 base-100 digits, which are 40 significant decimal
// digits, or 39 when the leading base-100 digit has one decimal digit (3.33... keeps 39, 0.33...
// and 12.3... 40); magnitudes below 10^-130 become 0.
std::string DecimalToNumberPrecision(const std::string& a);
// True when |a| >= 10^126, more than a NUMBER holds (ORA-01426: numeric overflow).
bool DecimalOverflowsNumber(const std::string& a);
std::string DecimalNegate(const std::string& a);

// Rounds half away from zero to `scale` digits after the point (negative: before it).
std::string DecimalRound(const std::string& a, int scale);
// Cuts to `scale` digits after the point (negative: before it), towards zero.
std::string DecimalTruncate(const std::string& a, int scale);
// Rounds to at most `digits` significant digits.
std::string DecimalRoundSignificant(const std::string& a, int digits);
// Digits before the point, not counting a lone leading zero ("0.5" has 0, "-12.5" has 2).
int DecimalIntegerDigits(const std::string& a);

}  // namespace skerrow::oracle
