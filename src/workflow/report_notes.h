#pragma once

#include <string>

#include "transfer/rounded_values.h"
#include "transfer/table_report.h"
#include "workflow/run_report.h"

namespace skerrow {

// "COL row 3: 1234567890123456789 stored as 1.2345678901234568e+18"
std::string RoundedValueText(const RoundedValue& value);

// "2 value(s) rounded by MySQL's DOUBLE (first: ...)"; empty when none was.
std::string RoundedValuesSummary(const RoundedValues& rounded);

// The table's schema notes joined by "; ", the first few of them when there are many; empty
// when it has none.
std::string SchemaNotesSummary(const TableReport& table);

// "Notes:" and a line "TABLE: ..." for every table with schema notes; empty when no table has
// one.
std::string RunNotesSummary(const RunReport& report);

}  // namespace skerrow
