#include "transfer/row_batch.h"

#include <utility>

namespace skerrow {

namespace {

constexpr std::string_view kRowSeparator = "),(";

}  // namespace

RowBatch::RowBatch(std::string insertPrefix)
    : prefixLength_(insertPrefix.size()), text_(std::move(insertPrefix)) {}

void RowBatch::Add(std::string_view values, std::int64_t sourceRow) {
  if (closed_) {
    text_.pop_back();
    closed_ = false;
  }
  if (!rows_.empty()) text_ += kRowSeparator;
  rows_.push_back({text_.size(), values.size(), sourceRow});
  text_ += values;
}

void RowBatch::Clear() {
  text_.resize(prefixLength_);
  rows_.clear();
  closed_ = false;
}

std::size_t RowBatch::SizeWith(std::size_t valuesSize) const {
  const std::size_t open = text_.size() - (closed_ ? 1 : 0);
  return open + (rows_.empty() ? 0 : kRowSeparator.size()) + valuesSize + 1;
}

std::string_view RowBatch::Statement() {
  if (!closed_) {
    text_.push_back(')');
    closed_ = true;
  }
  return text_;
}

std::string RowBatch::Statement(std::size_t first, std::size_t end) const {
  const std::size_t from = rows_[first].offset;
  const std::size_t to = rows_[end - 1].offset + rows_[end - 1].length;
  std::string statement;
  statement.reserve(prefixLength_ + (to - from) + 1);
  statement.append(text_, 0, prefixLength_);
  statement.append(text_, from, to - from);
  statement.push_back(')');
  return statement;
}

}  // namespace skerrow
