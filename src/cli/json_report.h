#pragma once

#include <chrono>
#include <ostream>
#include <string>
#include <string_view>

#include "workflow/run_report.h"

namespace skerrow::cli {

// `text` as a JSON string literal with its quotes. Bytes that are not valid UTF-8 become
// U+FFFD, so the report stays readable JSON whatever a server message held.
std::string JsonQuote(std::string_view text);

// A time as UTC in ISO 8601 with milliseconds, e.g. "2026-12-10T10:16:53.125Z".
std::string FormatUtcTimestamp(std::chrono::system_clock::time_point time);

// The run report as one JSON object: the destination, start, end, totals and every table.
void WriteRunReportJson(const RunReport& report, std::ostream& out);

}  // namespace skerrow::cli
