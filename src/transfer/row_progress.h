#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "transfer/row_copy_window.h"

namespace skerrow {

// "Converting Table: [<table>] <n> rows converted..."
std::string RowCaption(const std::string& targetTable, std::int64_t rowsSent);

// Shows the count of rows sent in the window's caption and tells the window the figure. A
// caption per row would flood the window thread on a fast copy, so updates come at most every
// `minInterval`; the first row and the final count of the table are always shown.
class RowProgress {
 public:
  static constexpr std::chrono::milliseconds kDefaultInterval{50};

  RowProgress(RowCopyWindow& window, std::string targetTable,
              std::chrono::steady_clock::duration minInterval = kDefaultInterval);

  void RowSent(std::int64_t rowsSent);
  // Shows `rowsSent` unless it is already the figure on show (also for 0).
  void Finish(std::int64_t rowsSent);

 private:
  void Show(std::int64_t rowsSent);

  RowCopyWindow& window_;
  std::string targetTable_;
  std::chrono::steady_clock::duration minInterval_;
  std::optional<std::int64_t> shown_;
  std::chrono::steady_clock::time_point shownAt_{};
};

}  // namespace skerrow
