#include "cli/progress_display.h"

#include <iomanip>
#include <sstream>

#include "text/numbers.h"

namespace skerrow::cli {
namespace {

using text::GroupDigits;

// Redraws faster than this are not worth the terminal's time on a table of many rows.
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

constexpr const char* kClearLine = "\r\033[K";

}  // namespace

void ProgressDisplay::Start(int totalTables) {
  totalTables_ = totalTables;
  finishedTables_ = 0;
  table_.clear();
  rows_ = 0;
  tableStart_ = Clock::now();
}

void ProgressDisplay::BeginTable(const std::string& table) {
  table_ = table;
  rows_ = 0;
  tableStart_ = Clock::now();
}

void ProgressDisplay::TableRows(const std::string& table, std::int64_t rows) {
  if (table != table_) BeginTable(table);
  rows_ = rows;
  if (terminal_) DrawLine(false);
}

void ProgressDisplay::TableFinished(const TableReport& report) {
  ++finishedTables_;
  const std::string counter =
      std::to_string(finishedTables_) + " of " + std::to_string(totalTables_) + " tables done";
  if (terminal_) {
    table_ = report.createdName.value_or(report.sourceName);
    rows_ = report.rowsWritten;
    DrawLine(true);
  } else {
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
    out_ << " (" << counter << ")\n" << std::flush;
  }
  table_.clear();
  rows_ = 0;
  tableStart_ = Clock::now();
}

void ProgressDisplay::Finish() {
  if (terminal_ && lineShown_) out_ << kClearLine << std::flush;
  lineShown_ = false;
}

double ProgressDisplay::RowsPerSecond() const {
  const std::chrono::duration<double> elapsed = Clock::now() - tableStart_;
  return elapsed.count() > 0 ? static_cast<double>(rows_) / elapsed.count() : 0.0;
}

void ProgressDisplay::DrawLine(bool force) {
  const auto now = Clock::now();
  if (!force && lineShown_ && now - lastDraw_ < kRedrawInterval) return;
  lastDraw_ = now;
  std::ostringstream line;
  line << table_ << ": " << GroupDigits(rows_) << " rows, "
       << GroupDigits(static_cast<std::int64_t>(RowsPerSecond())) << " rows/s, " << finishedTables_
       << " of " << totalTables_ << " tables done";
  out_ << kClearLine << line.str() << std::flush;
  lineShown_ = true;
}

}  // namespace skerrow::cli
