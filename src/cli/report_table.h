#pragma once

#include <ostream>

#include "workflow/run_report.h"

namespace skerrow::cli {

// The run report as a text table: per table the created name, rows read, written and refused,
// with the reason under every table that did not convert cleanly, then the totals.
void PrintReportTable(const RunReport& report, std::ostream& out);

}  // namespace skerrow::cli
