#pragma once

#include <optional>
#include <string>
#include <vector>

#include "oracle/script_target.h"
#include "oracle/sqlite_handle.h"

namespace skerrow::oracle {

// What the catalog keeps besides tables, columns and constraints: indexes with their columns
// and expressions, what a constraint adds to its row (delete rule, VALIDATED, its index), and
// comments. Writers run inside the caller's catalog transaction.

// Creates the tables when they are missing (an instance made before them).
void CreateIndexCatalogTables(const SqliteDatabase& catalog);

// An index as stored. Columns of a function-based index (an expression, or a column sorted
// DESC) are named SYS_NCnnnnn$ after the hidden column Oracle makes for them, and carry the
// expression.
struct IndexRecord {
  long seq = 0;
  std::string owner;
  std::string name;
  std::string tableOwner;
  std::string tableName;
  std::string indexType;  // "NORMAL", "NORMAL/REV", "BITMAP", "FUNCTION-BASED NORMAL", ...
  bool unique = false;
  bool generatedName = false;
  bool madeForConstraint = false;  // made by a key constraint, and dropped with it
  struct Column {
    std::string name;
    std::string expression;  // empty for a plain column
    bool descending = false;
    long length = 0;
  };
  std::vector<Column> columns;

  // The key the index orders by: each column's name or expression, and its direction.
  std::vector<IndexColumn> Key() const;
  bool FunctionBased() const { return indexType.starts_with("FUNCTION-BASED"); }
};

// INDEX_TYPE of an index of this definition.
std::string IndexTypeOf(const IndexDefinition& index);

std::vector<IndexRecord> FindTableIndexes(const SqliteDatabase& catalog, const std::string& owner,
                                          const std::string& table);
std::optional<IndexRecord> FindIndex(const SqliteDatabase& catalog, const std::string& owner,
                                     const std::string& name);
// Inserts the index and its columns; returns its seq. The names of its hidden columns are
// given here (SYS_NC followed by the table's next column number).
long InsertIndexRecord(const SqliteDatabase& catalog, IndexRecord record, int tableColumnCount);
void DeleteIndexRecord(const SqliteDatabase& catalog, const std::string& owner,
                       const std::string& name);

// The row a constraint adds to USER_CONSTRAINTS besides its type and columns.
struct ConstraintDetails {
  std::string deleteRule;  // for 'R'
  bool validated = true;
  std::string indexOwner;  // for 'P' and 'U'
  std::string indexName;
};
void SetConstraintDetails(const SqliteDatabase& catalog, const std::string& owner,
                          const std::string& constraint, const std::string& table,
                          const ConstraintDetails& details);
void SetConstraintValidated(const SqliteDatabase& catalog, const std::string& owner,
                            const std::string& constraint, bool validated);
// The constraint's row, its columns and its details.
void DeleteConstraintRecord(const SqliteDatabase& catalog, const std::string& owner,
                            const std::string& constraint);
void DeleteConstraintDetails(const SqliteDatabase& catalog, const std::string& owner,
                             const std::string& constraint);
// The key constraint an index enforces, if any.
std::optional<std::string> ConstraintUsingIndex(const SqliteDatabase& catalog,
                                                const std::string& owner, const std::string& index);
// The index a key constraint uses; empty when none is recorded (an older instance).
std::string IndexOfConstraint(const SqliteDatabase& catalog, const std::string& owner,
                              const std::string& constraint);

// An empty column names the table's own comment; an empty text removes the comment.
void SetCommentRecord(const SqliteDatabase& catalog, const std::string& owner,
                      const std::string& table, const std::string& column, const std::string& text);

// Everything above that belongs to a table, for DROP TABLE.
void DeleteTableIndexesAndComments(const SqliteDatabase& catalog, const std::string& owner,
                                   const std::string& table);

}  // namespace skerrow::oracle
