#include "oracle/index_rules.h"

#include <algorithm>
#include <set>
#include <stdexcept>

#include "oracle/oracle_names.h"

namespace skerrow::oracle {

namespace {

[[noreturn]] void Refuse(const std::string& message) {
  throw std::runtime_error(message);
}

bool IsBitmap(const std::string& indexType) {
  return indexType.find("BITMAP") != std::string::npos;
}

}  // namespace

IndexRecord NewIndexRecord(const SqliteDatabase& catalog, const std::string& owner,
                           const std::string& table, const IndexDefinition& index,
                           const std::vector<ColumnDefinition>& columns) {
  if (index.name.empty()) Refuse("ORA-00953: missing or invalid index name");
  if (index.columns.empty()) Refuse("ORA-00936: missing expression (an index needs a column)");
  if (FindIndex(catalog, owner, index.name))
    Refuse("ORA-00955: name is already used by an existing object (index " +
           QuoteOracleName(index.name) + ")");
  IndexRecord record;
  record.owner = owner;
  record.name = index.name;
  record.tableOwner = owner;
  record.tableName = table;
  record.indexType = IndexTypeOf(index);
  record.unique = index.unique;
  record.generatedName = index.generatedName;
  std::set<std::string> named;
  for (const IndexColumn& entry : index.columns) {
    IndexRecord::Column column;
    column.descending = entry.descending;
    if (entry.column.empty()) {
      column.expression = entry.expression;
    } else {
      const auto found =
          std::find_if(columns.begin(), columns.end(),
                       [&](const ColumnDefinition& c) { return c.name == entry.column; });
      if (found == columns.end())
        Refuse("ORA-00904: " + QuoteOracleName(entry.column) + ": invalid identifier");
      if (!named.insert(entry.column).second) Refuse("ORA-00957: duplicate column name");
      column.length = found->dataLength;
      // Oracle keeps a descending column as the expression of a hidden column.
      if (entry.descending)
        column.expression = QuoteOracleName(entry.column);
      else
        column.name = entry.column;
    }
    record.columns.push_back(std::move(column));
  }
  const std::vector<IndexColumn> key = record.Key();
  for (const IndexRecord& existing : FindTableIndexes(catalog, owner, table))
    if (existing.Key() == key && IsBitmap(existing.indexType) == index.bitmap)
      Refuse("ORA-01408: such column list already indexed (by " + QuoteOracleName(existing.name) +
             ")");
  return record;
}

bool CanEnforceKey(const IndexRecord& index, const std::vector<std::string>& keyColumns) {
  if (index.FunctionBased() || IsBitmap(index.indexType) ||
      index.columns.size() < keyColumns.size())
    return false;
  std::set<std::string> leading;
  for (std::size_t i = 0; i < keyColumns.size(); ++i) leading.insert(index.columns[i].name);
  return leading == std::set<std::string>(keyColumns.begin(), keyColumns.end());
}

std::optional<IndexRecord> IndexForKey(const SqliteDatabase& catalog, const std::string& owner,
                                       const std::string& table,
                                       const std::vector<std::string>& keyColumns) {
  std::optional<IndexRecord> chosen;
  for (IndexRecord& index : FindTableIndexes(catalog, owner, table)) {
    if (!CanEnforceKey(index, keyColumns)) continue;
    const bool exact = index.unique && index.columns.size() == keyColumns.size();
    if (exact) return index;
    if (!chosen) chosen = std::move(index);
  }
  return chosen;
}

std::string EnforcingIndexName(const IndexRecord& index) {
  return "skerrow_index_" + std::to_string(index.seq);
}

std::string EnforcingIndexStatement(const IndexRecord& index) {
  if (!index.unique) return {};
  std::string columns;
  for (const IndexRecord::Column& column : index.columns) {
    // A descending column is a hidden column whose expression is the quoted column name.
    std::string name = column.name;
    if (!column.expression.empty()) {
      if (column.expression.size() < 2 || column.expression.front() != '"' ||
          column.expression.back() != '"')
        return {};
      name = StoredNameOf(column.expression);
    }
    columns +=
        (columns.empty() ? "" : ", ") + QuoteSqliteName(name) + (column.descending ? " DESC" : "");
  }
  return "CREATE UNIQUE INDEX main." + QuoteSqliteName(EnforcingIndexName(index)) + " ON " +
         QuoteSqliteName(index.tableName) + "(" + columns + ")";
}

}  // namespace skerrow::oracle
