#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "transfer/record_stream.h"
#include "transfer/table_verification.h"
#include "transfer/verify_values.h"

namespace skerrow {

// The compared columns of a table, in the order of the records' values.
struct ComparedColumns {
  std::vector<std::string> names;
  std::vector<ColumnClass> classes;
  // The positions of the key columns; empty: the rows have no key and pair by all values.
  std::vector<std::size_t> keyPositions;
};

// Pairs the records of two streams in CompareRecords order by their keys, source against
// target, and fills `result`'s row counts, differences, rounded and refused values and both
// digests. `refusedByCopy` is how many rows the copy reported as refused by the server: that
// many source rows missing in MySQL are counted as refused, not as missing. `onProgress` is
// told the source rows taken now and then. Raises whatever the streams raise (e.g.
// RecordsOutOfOrder); `result` is then incomplete.
void CompareRecordStreams(RecordStream& source, RecordStream& target,
                          const ComparedColumns& columns, std::int64_t refusedByCopy,
                          TableVerification& result,
                          const std::function<void(std::int64_t)>& onProgress = {});

// The text that names a row by its key: "ID=7, CODE=AB"; for a table without a key, every
// value: "(7, AB, NULL)". Long texts are cut.
std::string RowKeyText(const std::vector<CanonicalValue>& values, const ComparedColumns& columns);

}  // namespace skerrow
