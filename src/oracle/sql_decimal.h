#pragma once

#include <optional>
#include <string>

namespace skerrow::oracle {

// Exact decimal arithmetic on canonical decimal texts (see MakeDecimal), as Oracle NUMBER
// computes it: sums, differences and products are exact; quotients keep 40 significant digits.
std::string DecimalAdd(const std::string& a, const std::string& b);
std::string DecimalSubtract(const std::string& a, const std::string& b);
std::string DecimalMultiply(const std::string& a, const std::string& b);
// nullopt for a division by zero.
std::optional<std::string> DecimalDivide(const std::string& a, const std::string& b);
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
