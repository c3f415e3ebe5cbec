#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace skerrow {

// One value a DOUBLE column could not keep exactly.
struct RoundedValue {
  std::string column;
  std::int64_t row = 0;  // the source row, counted from 1
  std::string sourceValue;
  std::string storedValue;

  friend bool operator==(const RoundedValue&, const RoundedValue&) = default;
};

// How many values of a table MySQL keeps other than the source holds them, per column, with
// the first of them.
struct RoundedValues {
  static constexpr std::size_t kMaxExamples = 10;

  struct ColumnCount {
    std::string column;
    std::int64_t count = 0;

    friend bool operator==(const ColumnCount&, const ColumnCount&) = default;
  };

  std::int64_t count = 0;
  std::vector<ColumnCount> columns;  // in the order their first rounded value came
  std::vector<RoundedValue> examples;

  void Add(RoundedValue value);
};

}  // namespace skerrow
