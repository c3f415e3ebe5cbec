#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "workflow/run_report.h"

namespace skerrow {

// Where the wizard leaves the report of a run it was ended during:
// $XDG_STATE_HOME/skerrow/last-run.json, by default ~/.local/state/skerrow/last-run.json.
// Empty when neither XDG_STATE_HOME (an absolute path) nor a home directory is known.
std::filesystem::path LastRunReportPath();

// Writes the report as JSON to `path`; the reason when it could not.
std::optional<std::string> WriteRunReportFile(const RunReport& report,
                                              const std::filesystem::path& path);

// WriteRunReportFile to `path` (as LastRunReportPath gives it), creating its folder first.
std::optional<std::string> WriteLastRunReport(const RunReport& report,
                                              const std::filesystem::path& path);

}  // namespace skerrow
