#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace skerrow::oracle {

// TO_CHAR of a NUMBER (`exact`, canonical decimal text) with a number format model, as Oracle
// writes it in an American session: 9 and 0 for digits (0 keeps leading and trailing zeros), D
// or "." for the decimal point, G or "," for the group separator, FM (no padding, no trailing
// zeros of 9 positions), $, B, a leading or trailing S, MI and PR. The value is rounded to the
// format's decimals; one with more integer digits than the format has is shown as "#"s. nullopt
// with `error` set to Oracle's message for a model Oracle refuses (ORA-01481).
std::optional<std::string> FormatNumber(const std::string& exact, std::string_view format,
                                        std::string& error);

}  // namespace skerrow::oracle
