#include "transfer/rounded_values.h"

#include <algorithm>
#include <utility>

namespace skerrow {

void RoundedValues::Add(RoundedValue value) {
  ++count;
  auto column = std::find_if(columns.begin(), columns.end(),
                             [&](const ColumnCount& c) { return c.column == value.column; });
  if (column == columns.end())
    columns.push_back({value.column, 1});
  else
    ++column->count;
  if (examples.size() < kMaxExamples) examples.push_back(std::move(value));
}

}  // namespace skerrow
