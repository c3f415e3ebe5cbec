#include "workflow/run_report.h"

#include <algorithm>

namespace skerrow {

bool RunReport::Succeeded() const {
  return runError.empty() && notStarted.empty() &&
         std::all_of(tables.begin(), tables.end(), [](const auto& t) { return t.Succeeded(); });
}

std::int64_t RunReport::TotalRowsRead() const {
  std::int64_t total = 0;
  for (const auto& table : tables) total += table.rowsRead;
  return total;
}

std::int64_t RunReport::TotalRowsWritten() const {
  std::int64_t total = 0;
  for (const auto& table : tables) total += table.rowsWritten;
  return total;
}

std::int64_t RunReport::TotalRowsRefused() const {
  std::int64_t total = 0;
  for (const auto& table : tables) total += table.rowsRefused;
  return total;
}

std::int64_t RunReport::TotalRoundedValues() const {
  std::int64_t total = 0;
  for (const auto& table : tables) total += table.roundedValues.count;
  return total;
}

std::int64_t RunReport::TotalVerificationDifferences() const {
  std::int64_t total = 0;
  for (const auto& table : tables)
    if (table.verification) total += table.verification->Differences();
  return total;
}

}  // namespace skerrow
