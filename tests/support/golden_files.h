#pragma once

#include <filesystem>
#include <string>

#include "support/fixture_users.h"
#include "workflow/run_report.h"

namespace skerrow::test {

// The recorded conversion of a fixture's user in tests/golden: the MySQL contents and the run
// report of converting every one of the user's tables.
std::filesystem::path GoldenFile(const FixtureUser& conversion);

// The run's outcome per table, as the golden files record it after the dump.
std::string ShowReport(const RunReport& report);

std::string ReadWholeFile(const std::filesystem::path& path);

}  // namespace skerrow::test
