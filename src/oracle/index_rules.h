#pragma once

#include <optional>
#include <string>
#include <vector>

#include "oracle/catalog_indexes.h"
#include "oracle/script_target.h"
#include "oracle/sqlite_handle.h"

namespace skerrow::oracle {

// Oracle's rules for indexes, on an instance's catalog.

// The record CREATE INDEX adds for `index` on `owner`.`table` (whose columns are `columns`),
// after Oracle's checks: the name is free (ORA-00955), every column exists (ORA-00904) and
// is named once (ORA-00957), and no index of the same kind orders by the same key
// (ORA-01408).
IndexRecord NewIndexRecord(const SqliteDatabase& catalog, const std::string& owner,
                           const std::string& table, const IndexDefinition& index,
                           const std::vector<ColumnDefinition>& columns);

// An index of the table that can enforce a key on `keyColumns`, as Oracle picks one when a
// primary or unique key is added: its leading columns are the key's columns in any order and
// it is not function-based. A unique index of exactly those columns is preferred.
std::optional<IndexRecord> IndexForKey(const SqliteDatabase& catalog, const std::string& owner,
                                       const std::string& table,
                                       const std::vector<std::string>& keyColumns);

// True when `index` can enforce a key on `keyColumns` (USING INDEX name).
bool CanEnforceKey(const IndexRecord& index, const std::vector<std::string>& keyColumns);

// The SQLite index that makes the stand-in refuse what a unique index refuses, named after
// the index's seq; empty for an index that is not unique or indexes an expression (the
// stand-in does not evaluate those).
std::string EnforcingIndexName(const IndexRecord& index);
std::string EnforcingIndexStatement(const IndexRecord& index);

}  // namespace skerrow::oracle
