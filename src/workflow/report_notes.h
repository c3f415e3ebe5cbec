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

// "ID=3, AMOUNT: Oracle 30, MySQL 31", "ID=2: in Oracle, missing in MySQL", "ID=4: in MySQL
// only, not in Oracle".
std::string VerificationDifferenceText(const VerificationDifference& difference);

// "verified: 3 rows compared, 1 mismatch, 1 row missing in MySQL, 1 row not in Oracle", or
// why the table could not be verified.
std::string VerificationSummary(const TableVerification& verification);

// The table's schema notes joined by "; ", the first few of them when there are many; empty
// when it has none.
std::string SchemaNotesSummary(const TableReport& table);

// "Notes:" and a line "TABLE: ..." for every table with schema notes; empty when no table has
// one.
std::string RunNotesSummary(const RunReport& report);

}  // namespace skerrow
