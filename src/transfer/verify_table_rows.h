#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "db/source_connection.h"
#include "db/target_connection.h"
#include "transfer/record_sorter.h"
#include "transfer/table_column_lists.h"
#include "transfer/table_verification.h"

namespace skerrow {

struct VerifyOptions {
  // Rows fetched from the source at a time, as the copy fetches them.
  long fetchRows = 10000;
  // What sorting rows that do not arrive in key order may hold in memory.
  SortLimits sort;
  // First compare the rows in the order they arrive in, as long as that is key order (no
  // sort, nothing held); false sorts both sides at once.
  bool tryArrivalOrder = true;
  // Told the source rows read so far, now and then.
  std::function<void(std::int64_t rows)> onProgress;
};

// What one verification works with: the two connections and where the rows are.
struct VerifyJob {
  SourceConnection& source;
  TargetConnection& target;
  // The schema that owns the source table, and the destination database (trimmed).
  std::string owner;
  std::string database;
  VerifyOptions options;
};

// One table to verify: its names, the column lists the type mapping gives it (the select list
// full), its primary key columns in key order (none: the rows pair by all their values), and
// how many of its rows the copy reported as refused by the server (0 when unknown).
struct TableToVerify {
  std::string sourceTable;
  std::string targetTable;
  TableColumnLists lists;
  std::vector<std::string> keyColumns;
  std::int64_t refusedByCopy = 0;
};

// Reads the source rows again with the row query and the MySQL table back, both streamed,
// pairs them by key and compares every value as the conversion writes it: exact decimals
// digit for digit, DOUBLE and FLOAT by their bits, texts, bytes and dates exactly; values a
// DOUBLE keeps rounded and rows that cannot be written are counted as such. Rows that do not
// arrive in key order on both sides are sorted in bounded memory first. Every failure ends up
// in the result's `error`.
TableVerification VerifyTableRows(const VerifyJob& job, const TableToVerify& table);

}  // namespace skerrow
