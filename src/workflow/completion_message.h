#pragma once

#include <string>

#include "workflow/run_report.h"
#include "workflow/wizard_window.h"

namespace skerrow {

// Why one table did not convert cleanly, in words for the operator; empty when it did.
std::string TableFailureReason(const TableReport& table);

// What arrived, e.g. "5 tables, 200,023 rows converted into DEMO.": the tables created in the
// destination database and the rows written to them.
std::string ConversionSummaryLine(const RunReport& report);

// The message that ends a run that showed its progress panel: the success text when every
// table converted, "stopped" with what was and was not converted after a stop, otherwise
// "completed with errors" with one line per failed table; then the summary line. Its details
// hold the per-table report.
MessageRequest CompletionMessage(const RunReport& report);

}  // namespace skerrow
