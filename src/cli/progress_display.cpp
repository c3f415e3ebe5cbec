#include "cli/progress_display.h"

#include <algorithm>
#include <sstream>

#include "text/numbers.h"

namespace skerrow::cli {
namespace {

using text::GroupDigits;

// Redraws faster than this are not worth the terminal's time on a table of many rows.
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
// A running table's rate counts from its first rows; before this long it says little.
constexpr auto kFirstRate = std::chrono::seconds(1);

constexpr const char* kClearLine = "\r\033[K";
constexpr const char* kUpAndClearLine = "\033[A\r\033[K";

double PerSecond(std::int64_t rows, std::chrono::steady_clock::time_point since) {
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - since;
  return elapsed.count() > 0 ? static_cast<double>(rows) / elapsed.count() : 0.0;
}

std::string RowsAndRate(std::int64_t rows, std::chrono::steady_clock::time_point since) {
  return GroupDigits(rows) + " rows, " +
         GroupDigits(static_cast<std::int64_t>(PerSecond(rows, since))) + " rows/s";
}

}  // namespace

void ProgressDisplay::Start(int totalTables) {
  totalTables_ = totalTables;
  finishedTables_ = 0;
  table_.clear();
  rows_ = 0;
  tableStart_ = Clock::now();
  running_.clear();
  finishedRows_ = 0;
  runStart_ = Clock::now();
}

void ProgressDisplay::BeginTable(const std::string& table) {
  table_ = table;
  rows_ = 0;
  tableStart_ = Clock::now();
}

void ProgressDisplay::TableRows(const std::string& table, std::int64_t rows) {
  if (severalTables_) {
    auto found = std::find_if(running_.begin(), running_.end(),
                              [&](const RunningTable& t) { return t.name == table; });
    if (found == running_.end()) found = running_.insert(running_.end(), {table, 0, Clock::now()});
    found->rows = rows;
    if (terminal_) DrawLines(false);
    return;
  }
  if (table != table_) BeginTable(table);
  rows_ = rows;
  if (terminal_) DrawLine(false);
}

void ProgressDisplay::TableFinished(const TableReport& report) {
  ++finishedTables_;
  if (severalTables_) {
    finishedRows_ += report.rowsWritten;
    if (report.createdName)
      std::erase_if(running_, [&](const RunningTable& t) { return t.name == *report.createdName; });
    if (terminal_)
      DrawLines(true);
    else
      PrintFinishedLine(report);
    return;
  }
  if (terminal_) {
    table_ = report.createdName.value_or(report.sourceName);
    rows_ = report.rowsWritten;
    DrawLine(true);
  } else {
    PrintFinishedLine(report);
  }
  table_.clear();
  rows_ = 0;
  tableStart_ = Clock::now();
}

void ProgressDisplay::Finish() {
  if (terminal_ && linesShown_ > 0) {
    ClearLines();
    out_ << std::flush;
  }
}

std::string ProgressDisplay::DoneCounter() const {
  return std::to_string(finishedTables_) + " of " + std::to_string(totalTables_) + " tables done";
}

void ProgressDisplay::PrintFinishedLine(const TableReport& report) {
  out_ << report.sourceName;
  if (report.createdName) {
    if (*report.createdName != report.sourceName) out_ << " -> " << *report.createdName;
    out_ << ": " << GroupDigits(report.rowsRead) << " rows read, "
         << GroupDigits(report.rowsWritten) << " written, " << GroupDigits(report.rowsRefused)
         << " refused";
    if (report.roundedValues.count > 0)
      out_ << ", " << GroupDigits(report.roundedValues.count) << " rounded";
    if (report.abandoned) out_ << ", rest abandoned";
    if (const auto& verification = report.verification) {
      if (verification->error)
        out_ << ", not verified";
      else
        out_ << ", " << GroupDigits(verification->rowsCompared) << " compared, "
             << GroupDigits(verification->Differences()) << " differences";
    }
  } else {
    out_ << ": not created";
  }
  out_ << " (" << DoneCounter() << ")\n" << std::flush;
}

void ProgressDisplay::ClearLines() {
  out_ << kClearLine;
  for (std::size_t line = 1; line < linesShown_; ++line) out_ << kUpAndClearLine;
  linesShown_ = 0;
}

bool ProgressDisplay::Due(bool force) {
  const auto now = Clock::now();
  if (!force && linesShown_ > 0 && now - lastDraw_ < kRedrawInterval) return false;
  lastDraw_ = now;
  return true;
}

void ProgressDisplay::DrawLine(bool force) {
  if (!Due(force)) return;
  ClearLines();
  out_ << table_ << ": " << RowsAndRate(rows_, tableStart_) << ", " << DoneCounter() << std::flush;
  linesShown_ = 1;
}

void ProgressDisplay::DrawLines(bool force) {
  if (!Due(force)) return;
  std::int64_t totalRows = finishedRows_;
  std::ostringstream lines;
  const auto now = Clock::now();
  for (const RunningTable& table : running_) {
    lines << table.name << ": "
          << (now - table.start < kFirstRate ? GroupDigits(table.rows) + " rows"
                                             : RowsAndRate(table.rows, table.start))
          << '\n';
    totalRows += table.rows;
  }
  lines << "total: " << RowsAndRate(totalRows, runStart_) << ", " << DoneCounter();
  ClearLines();
  out_ << lines.str() << std::flush;
  linesShown_ = running_.size() + 1;
}

}  // namespace skerrow::cli
