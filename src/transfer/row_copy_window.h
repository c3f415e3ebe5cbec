#pragma once

#include <cstdint>
#include <string>

namespace skerrow {

// The window operations one table's conversion needs, carried out before each call returns.
// The workflow adapts them to its window and keeps the run's count of converted tables.
class RowCopyWindow {
 public:
  virtual ~RowCopyWindow() = default;

  // The caption that counts the table's rows.
  virtual void SetProgressTitle(const std::string& text) = 0;
  // The table's true count of rows so far, for front ends that show more than the caption.
  virtual void OnTableRowsProgress(const std::string& targetTable, std::int64_t rows) = 0;
  // The table counts as converted: once per table, when its rows have been read or when it
  // ended before its first row.
  virtual void CountConvertedTable() = 0;
  // The status line with the converted tables of those selected, and one step of the tables
  // bar: the table is done.
  virtual void ShowTableConverted() = 0;
  // The message box of a row that could not be read or converted; returns once the operator
  // has closed it.
  virtual void ShowCopyFailure(const std::string& text) = 0;
};

}  // namespace skerrow
