#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "db/row_array.h"
#include "db/source_connection.h"

namespace skerrow {

// The row counts Oracle keeps for the user's tables (its statistics, NUM_ROWS): cheap to read,
// and empty for a table never analysed.
inline constexpr const char* kSourceRowCountsQuery = "select table_name, num_rows from user_tables";

// The counts of the query's rows that hold one; nothing when the source cannot tell.
std::map<std::string, std::int64_t> SourceRowCounts(const RowArray& rows);
std::map<std::string, std::int64_t> ReadSourceRowCounts(SourceConnection& source);

// The order in which the positions of `tables` are started: the largest tables first, so
// that no large one is left alone at the end. Tables of unknown size come first (one of them
// may be the largest), in the order given; so do tables of the same count.
std::vector<std::size_t> LargestFirst(const std::vector<std::string>& tables,
                                      const std::map<std::string, std::int64_t>& rowCounts);

}  // namespace skerrow
