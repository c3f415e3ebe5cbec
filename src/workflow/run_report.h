#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "transfer/table_report.h"

namespace skerrow {

// The report of one conversion run, kept by the run for the front ends.
struct RunReport {
  std::string destinationDatabase;
  std::chrono::system_clock::time_point start{};
  std::chrono::system_clock::time_point end{};
  std::vector<TableReport> tables;
  // A failure that ended the whole run early (a failed drop or create of the database, a lost
  // server connection); empty when the run went through its tables.
  std::string runError;
  // The checked tables the run did not start (after a stop or a lost connection), in list order.
  std::vector<std::string> notStarted;
  bool stopped = false;
  // The run went as far as its completion message: the destination database was prepared (or
  // could not be), so this report tells how the run ended. False for a run that ended before
  // (nothing checked, a refused name, a declined overwrite).
  bool completed = false;
  // The run only compared tables converted earlier with their source: nothing was written.
  bool verifyOnly = false;

  bool Succeeded() const;
  std::int64_t TotalRowsRead() const;
  std::int64_t TotalRowsWritten() const;
  std::int64_t TotalRowsRefused() const;
  std::int64_t TotalRoundedValues() const;
  // Mismatched values and rows missing on either side, in the verified tables.
  std::int64_t TotalVerificationDifferences() const;
};

}  // namespace skerrow
