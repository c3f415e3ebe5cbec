#pragma once

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "workflow/run_report.h"

namespace skerrow::cli {

// The progress of a run on the command line. On a terminal: one line, rewritten in place,
// with the table, its rows so far, rows per second and tables done; when several tables are
// converted at the same time, one such line per running table and one for the total. Elsewhere
// (a log, a pipe): one line per finished table.
class ProgressDisplay {
 public:
  ProgressDisplay(std::ostream& out, bool terminal, bool severalTables = false)
      : out_(out), terminal_(terminal), severalTables_(severalTables) {}

  void Start(int totalTables);
  void TableRows(const std::string& table, std::int64_t rows);
  void TableFinished(const TableReport& report);
  // Clears the progress lines so that what follows starts on a clean line.
  void Finish();

 private:
  using Clock = std::chrono::steady_clock;
  struct RunningTable {
    std::string name;
    std::int64_t rows = 0;
    Clock::time_point start{};
  };

  void BeginTable(const std::string& table);
  void DrawLine(bool force);
  void DrawLines(bool force);
  void PrintFinishedLine(const TableReport& report);
  // Takes the lines on show off the screen and leaves the cursor where the first began.
  void ClearLines();
  bool Due(bool force);
  std::string DoneCounter() const;

  std::ostream& out_;
  bool terminal_;
  bool severalTables_;
  int totalTables_ = 0;
  int finishedTables_ = 0;
  // One table at a time: the table in progress.
  std::string table_;
  std::int64_t rows_ = 0;
  Clock::time_point tableStart_{};
  // Several at a time: the running tables in the order they began, and the run's totals.
  std::vector<RunningTable> running_;
  std::int64_t finishedRows_ = 0;
  Clock::time_point runStart_{};
  Clock::time_point lastDraw_{};
  // Lines on show (0 when none).
  std::size_t linesShown_ = 0;
};

}  // namespace skerrow::cli
