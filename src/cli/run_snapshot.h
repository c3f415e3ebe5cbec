#pragma once

#include <chrono>
#include <mutex>
#include <string>
#include <vector>

#include "workflow/run_report.h"

namespace skerrow::cli {

// What a run has done so far, as the window hears of it, kept for a run that is ended at
// once (a second Ctrl-C) so that it can still say what it leaves behind. Safe to read from
// another thread while the run tells it.
class RunSnapshot {
 public:
  // The run begins: the destination database and the list order of its tables.
  void Begin(std::string database, std::vector<std::string> listOrder);
  void TableStarted(const std::string& sourceTable);
  void TableFinished(const TableReport& report);

  // The report of the run ended now: the finished tables in list order, and as its error
  // `reason` with the tables in progress.
  RunReport EndedNow(const std::string& reason) const;
  // The source names of the tables in progress, in the order they began, joined by ", ".
  std::string TablesInProgress() const;

 private:
  std::string TablesInProgressLocked() const;

  mutable std::mutex mutex_;
  std::string database_;
  std::chrono::system_clock::time_point start_{};
  std::vector<std::string> listOrder_;
  std::vector<TableReport> finished_;
  std::vector<std::string> running_;
};

}  // namespace skerrow::cli
