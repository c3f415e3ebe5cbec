#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "db/variant.h"
#include "oracle/script_target.h"

namespace skerrow::bench {

// The benchmark's source table: a NUMBER(10) key, a VARCHAR2(100), a NUMBER(12,2), a DATE, a
// short CLOB and a RAW(16), with values that vary from row to row (lengths, nulls, quotes,
// backslashes, tabs, line breaks and characters beyond ASCII) so that rendering and escaping
// do their real work.
inline constexpr const char* kOwner = "BENCH";
inline constexpr const char* kPassword = "bench";
inline constexpr const char* kTable = "ORDERS";

std::vector<oracle::ColumnDefinition> TableColumns();
std::vector<oracle::ConstraintDefinition> TableConstraints();
std::vector<std::string> ColumnNames();

// The values of row `id` (counted from 1), of the kinds the stand-in stores.
std::vector<Variant> RowValues(std::int64_t id);

}  // namespace skerrow::bench
