#pragma once

#include <chrono>
#include <ostream>
#include <string>

#include <nlohmann/json.hpp>

#include "workflow/run_report.h"

namespace skerrow {

// A time as UTC in ISO 8601 with milliseconds, e.g. "2026-12-10T10:16:53.125Z".
std::string FormatUtcTimestamp(std::chrono::system_clock::time_point time);

// The run report as one JSON object, fields in the order a reader expects them: the
// destination, start, end, outcome, totals, every table and the checked tables not started.
// `invalidUtf8Replaced` tells whether some text (a server's message can hold any bytes) was not
// valid UTF-8; such bytes are written as U+FFFD when the object is dumped with
// error_handler_t::replace.
nlohmann::ordered_json RunReportJson(const RunReport& report);

// RunReportJson written out, indented, always valid JSON whatever bytes the texts held.
void WriteRunReportJson(const RunReport& report, std::ostream& out);

}  // namespace skerrow
