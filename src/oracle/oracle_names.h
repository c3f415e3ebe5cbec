#pragma once

#include <string>
#include <string_view>

namespace skerrow::oracle {

// An Oracle quoted identifier: "A""B".
std::string QuoteOracleName(std::string_view name);
// An Oracle text literal: 'O''NEIL'.
std::string QuoteOracleText(std::string_view text);

// The name Oracle stores for a name as written: "quoted" verbatim (inner "" undoubled),
// anything else upper-cased.
std::string StoredNameOf(std::string_view written);

// The name Oracle gives a constraint a statement left unnamed: "SYS_C0010001" for 10001.
std::string SystemConstraintName(long number);

// "OWNER"."TABLE"."COLUMN" as Oracle's messages write it.
std::string QualifiedColumnName(std::string_view owner, std::string_view table,
                                std::string_view column);

}  // namespace skerrow::oracle
