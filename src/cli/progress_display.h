#pragma once

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>

#include "workflow/run_report.h"

namespace skerrow::cli {

// The progress of a run on the command line. On a terminal: one line, rewritten in place,
// with the table, its rows so far, rows per second and tables done. Elsewhere (a log, a
// pipe): one line per finished table.
class ProgressDisplay {
 public:
  ProgressDisplay(std::ostream& out, bool terminal) : out_(out), terminal_(terminal) {}

  void Start(int totalTables);
  void TableRows(const std::string& table, std::int64_t rows);
  void TableFinished(const TableReport& report);
  // Clears the progress line so that what follows starts on a clean line.
  void Finish();

 private:
  using Clock = std::chrono::steady_clock;
  void BeginTable(const std::string& table);
  void DrawLine(bool force);
  double RowsPerSecond() const;

  std::ostream& out_;
  bool terminal_;
  int totalTables_ = 0;
  int finishedTables_ = 0;
  std::string table_;
  std::int64_t rows_ = 0;
  Clock::time_point tableStart_{};
  Clock::time_point lastDraw_{};
  bool lineShown_ = false;
};

}  // namespace skerrow::cli
