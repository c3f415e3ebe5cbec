#include "workflow/run_journal.h"

#include <algorithm>

namespace skerrow {

void RunJournal::Begin(const std::string& database, std::chrono::system_clock::time_point start,
                       const std::vector<std::string>& checkedTables) {
  std::lock_guard lock(mutex_);
  begun_ = true;
  completed_ = false;
  report_ = RunReport{};
  report_.destinationDatabase = database;
  report_.start = start;
  toCome_ = checkedTables;
  inProgress_.reset();
}

void RunJournal::TableStarted(const std::string& sourceName) {
  std::lock_guard lock(mutex_);
  const auto next = std::find(toCome_.begin(), toCome_.end(), sourceName);
  if (next != toCome_.end()) toCome_.erase(next);
  inProgress_.emplace();
  inProgress_->sourceName = sourceName;
}

void RunJournal::TableRows(const std::string& targetTable, std::int64_t rows) {
  std::lock_guard lock(mutex_);
  if (!inProgress_) return;
  inProgress_->createdName = targetTable;
  inProgress_->rowsRead = rows;
  inProgress_->rowsWritten = rows;
}

void RunJournal::TableFinished(const TableReport& report) {
  std::lock_guard lock(mutex_);
  report_.tables.push_back(report);
  inProgress_.reset();
}

void RunJournal::Completed(const RunReport& report) {
  std::lock_guard lock(mutex_);
  begun_ = true;
  completed_ = true;
  report_ = report;
  toCome_.clear();
  inProgress_.reset();
}

void RunJournal::Clear() {
  std::lock_guard lock(mutex_);
  begun_ = false;
  completed_ = false;
  report_ = RunReport{};
  toCome_.clear();
  inProgress_.reset();
}

std::string RunJournal::TableInProgress() const {
  std::lock_guard lock(mutex_);
  return inProgress_ ? inProgress_->sourceName : std::string();
}

std::optional<RunReport> RunJournal::InterruptedReport(std::chrono::system_clock::time_point end,
                                                       const std::string& cause) const {
  std::lock_guard lock(mutex_);
  if (!begun_) return std::nullopt;
  if (completed_) return report_;
  RunReport report = report_;
  report.end = end;
  report.notStarted = toCome_;
  report.runError = "The conversion ended early: " + cause;
  if (inProgress_) {
    TableReport table = *inProgress_;
    table.abandoned =
        table.createdName
            ? cause + " while this table was copied, after " + std::to_string(table.rowsWritten) +
                  " rows had been sent to MySQL; the table holds only part of its rows"
            : cause + " while this table was created, before any of its rows were copied";
    report.runError += "; table " + table.sourceName + " is incomplete";
    report.tables.push_back(std::move(table));
  }
  report.runError += ".";
  return report;
}

}  // namespace skerrow
