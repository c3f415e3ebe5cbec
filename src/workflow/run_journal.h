#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "workflow/run_report.h"

namespace skerrow {

// What another thread may learn of a run while the worker converts: the tables finished, the
// table in progress with the rows copied so far, and the checked tables still to come. The
// worker writes it as the run goes; the window's thread reads it (exit during a run) under the
// same lock, so it never sees a half-written report.
class RunJournal {
 public:
  // The run has checked its input and starts on `database` with these checked tables.
  void Begin(const std::string& database, std::chrono::system_clock::time_point start,
             const std::vector<std::string>& checkedTables);
  void TableStarted(const std::string& sourceName);
  // The rows of the table in progress handed to MySQL so far, under its created name.
  void TableRows(const std::string& targetTable, std::int64_t rows);
  void TableFinished(const TableReport& report);
  // The run's own report from here on: it reached its completion steps.
  void Completed(const RunReport& report);
  // No run is recorded (the next one begins afresh).
  void Clear();

  // The source name of the table being converted; empty when none is.
  std::string TableInProgress() const;
  // The report of the run as if it ended at `end` for `cause` (e.g. "the program was ended"):
  // the finished tables, the table in progress as incomplete, the checked tables not started;
  // the run's own report once it completed. Empty when no run has begun.
  std::optional<RunReport> InterruptedReport(std::chrono::system_clock::time_point end,
                                             const std::string& cause) const;

 private:
  mutable std::mutex mutex_;
  bool begun_ = false;
  bool completed_ = false;
  RunReport report_;
  std::vector<std::string> toCome_;
  std::optional<TableReport> inProgress_;
};

}  // namespace skerrow
