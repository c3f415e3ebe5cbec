#include "transfer/row_progress.h"

#include <utility>

namespace skerrow {

std::string RowCaption(const std::string& targetTable, std::int64_t rowsSent) {
  return "Converting Table: [" + targetTable + "] " + std::to_string(rowsSent) +
         " rows converted...";
}

RowProgress::RowProgress(RowCopyWindow& window, std::string targetTable,
                         std::chrono::steady_clock::duration minInterval)
    : window_(window), targetTable_(std::move(targetTable)), minInterval_(minInterval) {}

void RowProgress::RowSent(std::int64_t rowsSent) {
  if (shown_ && std::chrono::steady_clock::now() - shownAt_ < minInterval_) return;
  Show(rowsSent);
}

void RowProgress::Finish(std::int64_t rowsSent) {
  if (shown_ != rowsSent) Show(rowsSent);
}

void RowProgress::Show(std::int64_t rowsSent) {
  window_.SetProgressTitle(RowCaption(targetTable_, rowsSent));
  window_.OnTableRowsProgress(targetTable_, rowsSent);
  shown_ = rowsSent;
  shownAt_ = std::chrono::steady_clock::now();
}

}  // namespace skerrow
