#pragma once

#include <string>

#include "workflow/run_report.h"

namespace skerrow {

// The run report as a text table for a fixed-width font: per table the created name, rows
// read, written and refused, with the reason under every table that did not convert cleanly,
// the checked tables the run did not start, then the totals and how the run ended.
// `moreRefusalsHint` is put before the count of refused rows when not all their messages are
// listed (where the front end keeps the rest, e.g. "see --report for more; ").
std::string ReportTableText(const RunReport& report, const std::string& moreRefusalsHint);

}  // namespace skerrow
