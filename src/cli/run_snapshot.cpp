#include "cli/run_snapshot.h"

#include <algorithm>

namespace skerrow::cli {

void RunSnapshot::Begin(std::string database, std::vector<std::string> listOrder) {
  const std::lock_guard<std::mutex> lock(mutex_);
  database_ = std::move(database);
  start_ = std::chrono::system_clock::now();
  listOrder_ = std::move(listOrder);
  finished_.clear();
  running_.clear();
}

void RunSnapshot::TableStarted(const std::string& sourceTable) {
  const std::lock_guard<std::mutex> lock(mutex_);
  running_.push_back(sourceTable);
}

void RunSnapshot::TableFinished(const TableReport& report) {
  const std::lock_guard<std::mutex> lock(mutex_);
  const auto found = std::find(running_.begin(), running_.end(), report.sourceName);
  if (found != running_.end()) running_.erase(found);
  finished_.push_back(report);
}

std::string RunSnapshot::TablesInProgressLocked() const {
  std::string text;
  for (const std::string& table : running_) text += (text.empty() ? "" : ", ") + table;
  return text;
}

std::string RunSnapshot::TablesInProgress() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return TablesInProgressLocked();
}

RunReport RunSnapshot::EndedNow(const std::string& reason) const {
  const std::lock_guard<std::mutex> lock(mutex_);
  RunReport report;
  report.destinationDatabase = database_;
  report.start = start_;
  report.end = std::chrono::system_clock::now();
  report.tables = finished_;
  const auto listPosition = [&](const TableReport& table) {
    return std::find(listOrder_.begin(), listOrder_.end(), table.sourceName) - listOrder_.begin();
  };
  std::stable_sort(report.tables.begin(), report.tables.end(),
                   [&](const TableReport& a, const TableReport& b) {
                     return listPosition(a) < listPosition(b);
                   });
  report.runError = reason;
  if (const std::string running = TablesInProgressLocked(); !running.empty())
    report.runError += "; left partly copied (their rows so far are in the database): " + running;
  report.stopped = true;
  report.completed = true;
  return report;
}

}  // namespace skerrow::cli
