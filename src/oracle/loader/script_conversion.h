#pragma once

#include <string>

#include "db/variant.h"
#include "oracle/script_target.h"
#include "oracle/sql_expression.h"

namespace skerrow::oracle {

// Converts an evaluated value to what `column` stores and delivers, as Oracle converts on
// INSERT: text into NUMBER becomes a decimal (rounded to the column's scale), text into DATE a
// date (read with the session's date format), text into RAW bytes (read as hex); CHAR is
// blank-padded. Throws std::runtime_error with the ORA- text when Oracle would refuse the
// value (invalid number, value too large, ...). `qualifiedName` ("OWNER"."TABLE"."COL") is for
// messages.
//
// Kinds: NUMBER and FLOAT give decimals, BINARY_FLOAT/BINARY_DOUBLE doubles, DATE dates,
// RAW/LONG RAW/BLOB bytes, everything else text. TIMESTAMP values are text
// "YYYY-MM-DD HH:MM:SS[.fff]" with as many fraction digits as the column's precision, and
// " +HH:MM" after it for WITH TIME ZONE; INTERVAL values are text "+YY-MM" or
// "+DD HH:MM:SS.ffffff" as written by INTERVAL literals.
Variant FitToColumn(const ScriptValue& value, const ColumnDefinition& column,
                    const std::string& qualifiedName, const ExpressionContext& context);

}  // namespace skerrow::oracle
