#include "oracle/catalog_indexes.h"

#include <cstdio>

namespace skerrow::oracle {

namespace {

void Run(const SqliteDatabase& catalog, const std::string& sql,
         const std::vector<std::string>& values) {
  SqliteStatement statement(catalog, sql);
  for (std::size_t i = 0; i < values.size(); ++i)
    statement.BindText(static_cast<int>(i + 1), values[i]);
  statement.Step();
}

IndexRecord IndexFromRow(const SqliteStatement& row) {
  IndexRecord index;
  index.seq = static_cast<long>(row.ColumnInt(0));
  index.owner = row.ColumnText(1);
  index.name = row.ColumnText(2);
  index.tableOwner = row.ColumnText(3);
  index.tableName = row.ColumnText(4);
  index.indexType = row.ColumnText(5);
  index.unique = row.ColumnText(6) == "UNIQUE";
  index.generatedName = row.ColumnText(7) == "Y";
  index.madeForConstraint = row.ColumnText(8) == "Y";
  return index;
}

constexpr const char* kIndexColumns =
    "SELECT seq, owner, index_name, table_owner, table_name, index_type, uniqueness, generated, "
    "constraint_index FROM indexes ";

void ReadIndexColumns(const SqliteDatabase& catalog, IndexRecord& index) {
  SqliteStatement columns(catalog,
                          "SELECT column_name, column_expression, descend, column_length FROM "
                          "ind_columns WHERE index_owner = ? AND index_name = ? ORDER BY "
                          "column_position");
  columns.BindText(1, index.owner);
  columns.BindText(2, index.name);
  while (columns.Step()) {
    IndexRecord::Column column;
    column.name = columns.ColumnText(0);
    if (!columns.ColumnIsNull(1)) column.expression = columns.ColumnText(1);
    column.descending = columns.ColumnText(2) == "DESC";
    column.length = static_cast<long>(columns.ColumnInt(3));
    index.columns.push_back(std::move(column));
  }
}

// The hidden column of an expression: the one another index of the table made for the same
// expression, else the next column number after the table's columns and hidden columns.
std::string HiddenColumnName(const SqliteDatabase& catalog, const IndexRecord& record,
                             const IndexRecord::Column& column, int tableColumnCount,
                             int& namesGiven) {
  SqliteStatement same(catalog,
                       "SELECT column_name FROM ind_columns WHERE table_owner = ? AND "
                       "table_name = ? AND column_expression = ? AND descend = ? LIMIT 1");
  same.BindText(1, record.tableOwner);
  same.BindText(2, record.tableName);
  same.BindText(3, column.expression);
  same.BindText(4, column.descending ? "DESC" : "ASC");
  if (same.Step()) return same.ColumnText(0);
  SqliteStatement hidden(catalog,
                         "SELECT count(DISTINCT column_name) FROM ind_columns WHERE "
                         "table_owner = ? AND table_name = ? AND column_expression IS NOT NULL");
  hidden.BindText(1, record.tableOwner);
  hidden.BindText(2, record.tableName);
  hidden.Step();
  const long number = tableColumnCount + hidden.ColumnInt(0) + ++namesGiven;
  char name[32];
  std::snprintf(name, sizeof name, "SYS_NC%05ld$", number);
  return name;
}

}  // namespace

void CreateIndexCatalogTables(const SqliteDatabase& catalog) {
  catalog.Exec(R"sql(
    CREATE TABLE IF NOT EXISTS indexes(
      seq INTEGER PRIMARY KEY, owner TEXT NOT NULL, index_name TEXT NOT NULL,
      table_owner TEXT NOT NULL, table_name TEXT NOT NULL, index_type TEXT NOT NULL,
      uniqueness TEXT NOT NULL, generated TEXT NOT NULL, constraint_index TEXT NOT NULL,
      UNIQUE(owner, index_name));
    CREATE TABLE IF NOT EXISTS ind_columns(
      index_owner TEXT NOT NULL, index_name TEXT NOT NULL, table_owner TEXT NOT NULL,
      table_name TEXT NOT NULL, column_name TEXT NOT NULL, column_position INTEGER NOT NULL,
      column_length INTEGER NOT NULL, descend TEXT NOT NULL, column_expression TEXT);
    CREATE INDEX IF NOT EXISTS ind_columns_by_index
      ON ind_columns(index_owner, index_name, column_position);
    CREATE TABLE IF NOT EXISTS constraint_details(
      owner TEXT NOT NULL, constraint_name TEXT NOT NULL, table_name TEXT NOT NULL,
      delete_rule TEXT, validated TEXT NOT NULL, index_owner TEXT, index_name TEXT,
      UNIQUE(owner, constraint_name));
    CREATE TABLE IF NOT EXISTS comments(
      owner TEXT NOT NULL, table_name TEXT NOT NULL, column_name TEXT NOT NULL,
      comments TEXT NOT NULL, UNIQUE(owner, table_name, column_name));
  )sql");
}

std::vector<IndexColumn> IndexRecord::Key() const {
  std::vector<IndexColumn> key;
  for (const Column& column : columns)
    key.push_back(column.expression.empty()
                      ? IndexColumn{column.name, "", column.descending}
                      : IndexColumn{"", column.expression, column.descending});
  return key;
}

std::string IndexTypeOf(const IndexDefinition& index) {
  if (index.domain) return "DOMAIN";
  bool functionBased = false;
  for (const IndexColumn& column : index.columns)
    functionBased = functionBased || !column.expression.empty() || column.descending;
  std::string type = index.bitmap ? "BITMAP" : "NORMAL";
  if (functionBased) type = "FUNCTION-BASED " + type;
  if (index.reverse && !index.bitmap) type += "/REV";
  return type;
}

std::vector<IndexRecord> FindTableIndexes(const SqliteDatabase& catalog, const std::string& owner,
                                          const std::string& table) {
  SqliteStatement query(catalog, std::string(kIndexColumns) +
                                     "WHERE table_owner = ? AND table_name = ? ORDER BY seq");
  query.BindText(1, owner);
  query.BindText(2, table);
  std::vector<IndexRecord> indexes;
  while (query.Step()) indexes.push_back(IndexFromRow(query));
  for (IndexRecord& index : indexes) ReadIndexColumns(catalog, index);
  return indexes;
}

std::optional<IndexRecord> FindIndex(const SqliteDatabase& catalog, const std::string& owner,
                                     const std::string& name) {
  SqliteStatement query(catalog, std::string(kIndexColumns) + "WHERE owner = ? AND index_name = ?");
  query.BindText(1, owner);
  query.BindText(2, name);
  if (!query.Step()) return std::nullopt;
  IndexRecord index = IndexFromRow(query);
  ReadIndexColumns(catalog, index);
  return index;
}

long InsertIndexRecord(const SqliteDatabase& catalog, IndexRecord record, int tableColumnCount) {
  int namesGiven = 0;
  for (IndexRecord::Column& column : record.columns)
    if (!column.expression.empty())
      column.name = HiddenColumnName(catalog, record, column, tableColumnCount, namesGiven);
  SqliteStatement insert(catalog,
                         "INSERT INTO indexes(owner, index_name, table_owner, table_name, "
                         "index_type, uniqueness, generated, constraint_index) VALUES (?, ?, ?, "
                         "?, ?, ?, ?, ?)");
  insert.BindText(1, record.owner);
  insert.BindText(2, record.name);
  insert.BindText(3, record.tableOwner);
  insert.BindText(4, record.tableName);
  insert.BindText(5, record.indexType);
  insert.BindText(6, record.unique ? "UNIQUE" : "NONUNIQUE");
  insert.BindText(7, record.generatedName ? "Y" : "N");
  insert.BindText(8, record.madeForConstraint ? "Y" : "N");
  insert.Step();
  const long seq = static_cast<long>(sqlite3_last_insert_rowid(catalog.Get()));
  SqliteStatement member(catalog,
                         "INSERT INTO ind_columns(index_owner, index_name, table_owner, "
                         "table_name, column_name, column_position, column_length, descend, "
                         "column_expression) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
  int position = 0;
  for (const IndexRecord::Column& column : record.columns) {
    member.Reset();
    member.BindText(1, record.owner);
    member.BindText(2, record.name);
    member.BindText(3, record.tableOwner);
    member.BindText(4, record.tableName);
    member.BindText(5, column.name);
    member.BindInt(6, ++position);
    member.BindInt(7, column.length);
    member.BindText(8, column.descending ? "DESC" : "ASC");
    if (!column.expression.empty()) member.BindText(9, column.expression);
    member.Step();
  }
  return seq;
}

void DeleteIndexRecord(const SqliteDatabase& catalog, const std::string& owner,
                       const std::string& name) {
  Run(catalog, "DELETE FROM ind_columns WHERE index_owner = ? AND index_name = ?", {owner, name});
  Run(catalog, "DELETE FROM indexes WHERE owner = ? AND index_name = ?", {owner, name});
}

void SetConstraintDetails(const SqliteDatabase& catalog, const std::string& owner,
                          const std::string& constraint, const std::string& table,
                          const ConstraintDetails& details) {
  SqliteStatement insert(catalog,
                         "INSERT OR REPLACE INTO constraint_details(owner, constraint_name, "
                         "table_name, delete_rule, validated, index_owner, index_name) VALUES "
                         "(?, ?, ?, ?, ?, ?, ?)");
  insert.BindText(1, owner);
  insert.BindText(2, constraint);
  insert.BindText(3, table);
  if (!details.deleteRule.empty()) insert.BindText(4, details.deleteRule);
  insert.BindText(5, details.validated ? "VALIDATED" : "NOT VALIDATED");
  if (!details.indexName.empty()) {
    insert.BindText(6, details.indexOwner);
    insert.BindText(7, details.indexName);
  }
  insert.Step();
}

void SetConstraintValidated(const SqliteDatabase& catalog, const std::string& owner,
                            const std::string& constraint, bool validated) {
  SqliteStatement update(catalog,
                         "UPDATE constraint_details SET validated = ? WHERE owner = ? AND "
                         "constraint_name = ?");
  update.BindText(1, validated ? "VALIDATED" : "NOT VALIDATED");
  update.BindText(2, owner);
  update.BindText(3, constraint);
  update.Step();
  if (sqlite3_changes(catalog.Get()) > 0) return;
  // A constraint of an older instance has no row yet.
  SqliteStatement table(catalog,
                        "SELECT table_name FROM constraints WHERE owner = ? AND "
                        "constraint_name = ?");
  table.BindText(1, owner);
  table.BindText(2, constraint);
  if (!table.Step()) return;
  ConstraintDetails details;
  details.validated = validated;
  SetConstraintDetails(catalog, owner, constraint, table.ColumnText(0), details);
}

void DeleteConstraintRecord(const SqliteDatabase& catalog, const std::string& owner,
                            const std::string& constraint) {
  Run(catalog, "DELETE FROM cons_columns WHERE owner = ? AND constraint_name = ?",
      {owner, constraint});
  Run(catalog, "DELETE FROM constraints WHERE owner = ? AND constraint_name = ?",
      {owner, constraint});
  DeleteConstraintDetails(catalog, owner, constraint);
}

void DeleteConstraintDetails(const SqliteDatabase& catalog, const std::string& owner,
                             const std::string& constraint) {
  Run(catalog, "DELETE FROM constraint_details WHERE owner = ? AND constraint_name = ?",
      {owner, constraint});
}

std::optional<std::string> ConstraintUsingIndex(const SqliteDatabase& catalog,
                                                const std::string& owner,
                                                const std::string& index) {
  SqliteStatement query(catalog,
                        "SELECT constraint_name FROM constraint_details WHERE index_owner = ? "
                        "AND index_name = ?");
  query.BindText(1, owner);
  query.BindText(2, index);
  if (!query.Step()) return std::nullopt;
  return query.ColumnText(0);
}

std::string IndexOfConstraint(const SqliteDatabase& catalog, const std::string& owner,
                              const std::string& constraint) {
  SqliteStatement query(catalog,
                        "SELECT index_name FROM constraint_details WHERE owner = ? AND "
                        "constraint_name = ? AND index_name IS NOT NULL");
  query.BindText(1, owner);
  query.BindText(2, constraint);
  return query.Step() ? query.ColumnText(0) : std::string();
}

void SetCommentRecord(const SqliteDatabase& catalog, const std::string& owner,
                      const std::string& table, const std::string& column,
                      const std::string& text) {
  if (text.empty()) {
    Run(catalog, "DELETE FROM comments WHERE owner = ? AND table_name = ? AND column_name = ?",
        {owner, table, column});
    return;
  }
  Run(catalog,
      "INSERT OR REPLACE INTO comments(owner, table_name, column_name, comments) VALUES (?, ?, "
      "?, ?)",
      {owner, table, column, text});
}

void DeleteTableIndexesAndComments(const SqliteDatabase& catalog, const std::string& owner,
                                   const std::string& table) {
  Run(catalog, "DELETE FROM ind_columns WHERE table_owner = ? AND table_name = ?", {owner, table});
  Run(catalog, "DELETE FROM indexes WHERE table_owner = ? AND table_name = ?", {owner, table});
  Run(catalog, "DELETE FROM constraint_details WHERE owner = ? AND table_name = ?", {owner, table});
  Run(catalog, "DELETE FROM comments WHERE owner = ? AND table_name = ?", {owner, table});
}

}  // namespace skerrow::oracle
