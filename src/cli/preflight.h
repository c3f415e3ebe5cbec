#pragma once

#include <optional>
#include <string>

#include "cli/cli_options.h"

namespace skerrow::cli {

// Why no report can be written to `path` (a folder that does not exist, a folder in its place,
// no permission, ...); nullopt when one can. Nothing is left behind: an existing file keeps its
// contents, a file made to find out is removed again.
std::optional<std::string> ReportFileProblem(const std::string& path);

// What can be found wrong before anything is asked for, connected or changed: the report file
// and the destination database's name. The message explains it; nullopt when all is well.
std::optional<std::string> PreflightProblem(const CliOptions& options);

}  // namespace skerrow::cli
