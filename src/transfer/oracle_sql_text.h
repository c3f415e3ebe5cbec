#pragma once

#include <string>
#include <string_view>

namespace skerrow {

// `text` as an Oracle text literal: in single quotes, every single quote doubled.
std::string OracleTextLiteral(std::string_view text);

// `name` as an Oracle quoted identifier: in double quotes, every double quote doubled.
std::string OracleQuotedName(std::string_view name);

}  // namespace skerrow
