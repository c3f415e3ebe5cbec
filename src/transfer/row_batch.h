#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace skerrow {

// The rows of one multi-row INSERT: the InsertPrefix, then each row's rendered values in
// parentheses, separated by commas. Any run of its rows can be turned back into a statement of
// its own, so rows after a refused one can be sent again, and a single row as exactly the
// statement the one-statement-per-row copy sends for it.
class RowBatch {
 public:
  explicit RowBatch(std::string insertPrefix);

  // `values` is the row's rendered values joined by ","; `sourceRow` (counted from 1) names
  // the row in a refusal message.
  void Add(std::string_view values, std::int64_t sourceRow);
  void Clear();

  std::size_t RowCount() const { return rows_.size(); }
  bool Empty() const { return rows_.empty(); }
  std::int64_t SourceRow(std::size_t index) const { return rows_[index].sourceRow; }
  // The length of the whole statement once a row of `valuesSize` bytes is added.
  std::size_t SizeWith(std::size_t valuesSize) const;

  // The INSERT of every row, built in place.
  std::string_view Statement();
  // The INSERT of the rows [first, end).
  std::string Statement(std::size_t first, std::size_t end) const;

 private:
  struct Row {
    std::size_t offset;
    std::size_t length;
    std::int64_t sourceRow;
  };

  std::size_t prefixLength_;
  std::string text_;  // the prefix and every row's values with their separators
  std::vector<Row> rows_;
  bool closed_ = false;  // text_ ends in the closing parenthesis
};

}  // namespace skerrow
