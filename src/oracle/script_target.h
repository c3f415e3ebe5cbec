#pragma once

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <stdexcept>

#include "db/variant.h"

namespace skerrow::oracle {

// The options of CREATE SEQUENCE (and of an identity column's generator), as decimal texts.
struct SequenceOptions {
  std::string startWith;  // empty: MINVALUE for an ascending sequence, MAXVALUE for descending
  std::string incrementBy = "1";
  std::string minValue;  // empty: 1 ascending, -(10^27 - 1) descending
  std::string maxValue;  // empty: 10^28 - 1 ascending, -1 descending
  long cacheSize = 20;   // 0 for NOCACHE
  bool cycle = false;
  bool order = false;
};

// GENERATED ... AS IDENTITY on a column.
struct IdentityDefinition {
  bool always = true;   // GENERATED ALWAYS; false for BY DEFAULT
  bool onNull = false;  // BY DEFAULT ON NULL
  SequenceOptions options;
  std::string sequenceName;  // ISEQ$$_n, given by the instance
};

// A column as CREATE TABLE declares it, already in the dictionary's terms.
struct ColumnDefinition {
  std::string name;      // as Oracle stores it: unquoted names upper-cased, quoted ones verbatim
  std::string dataType;  // USER_TAB_COLUMNS.DATA_TYPE: "NUMBER", "VARCHAR2",
                         // "TIMESTAMP(6) WITH TIME ZONE", "INTERVAL DAY(2) TO SECOND(6)",
                         // "XMLTYPE", "URITYPE", or a user-defined type's name
  std::optional<std::string> typeOwner;  // DATA_TYPE_OWNER for object types
  int dataLength = 0;                    // DATA_LENGTH in bytes as Oracle reports it
  std::optional<int> dataPrecision;      // absent where Oracle shows NULL
  std::optional<int> dataScale;
  int charLength = 0;                      // CHAR_LENGTH (0 for non-character types)
  std::string charUsed;                    // "B", "C" or "" (CHAR_USED)
  bool nullable = true;                    // false for NOT NULL (and primary key columns)
  std::optional<std::string> dataDefault;  // DATA_DEFAULT as written in the DDL, with the
                                           // text that followed it up to the next clause
  std::optional<IdentityDefinition> identity;
};

// One entry of an index's column list (USER_IND_COLUMNS, USER_IND_EXPRESSIONS).
struct IndexColumn {
  std::string column;      // the column's name as stored; empty for an expression
  std::string expression;  // as Oracle keeps it, e.g. UPPER("LAST_NAME"); empty for a column
  bool descending = false;

  friend bool operator==(const IndexColumn&, const IndexColumn&) = default;
};

// CREATE [UNIQUE | BITMAP] INDEX as the dictionary holds it (USER_INDEXES).
struct IndexDefinition {
  std::string name;
  bool unique = false;
  bool bitmap = false;
  bool reverse = false;  // REVERSE: INDEX_TYPE NORMAL/REV
  bool domain = false;   // INDEXTYPE IS ...: INDEX_TYPE DOMAIN
  bool generatedName = false;
  std::vector<IndexColumn> columns;
};

// A constraint as the dictionary holds it (USER_CONSTRAINTS / ALL_CONS_COLUMNS).
struct ConstraintDefinition {
  std::string name;                  // given, or generated "SYS_C00nnnn"
  char type = 'P';                   // 'P', 'U', 'R', 'C'
  std::vector<std::string> columns;  // in key position order
  std::string searchCondition;       // for 'C' (also "col IS NOT NULL" of a NOT NULL)
  std::string refOwner;              // for 'R'
  std::string refConstraintName;     // for 'R'
  bool generatedName = false;
  bool enabled = true;  // false for a constraint declared DISABLE (STATUS DISABLED)
  // VALIDATE / NOVALIDATE; absent: VALIDATE when enabled, NOVALIDATE when disabled.
  std::optional<bool> validated;
  std::string deleteRule = "NO ACTION";  // for 'R': "CASCADE", "SET NULL" or "NO ACTION"
  // For 'P' and 'U': USING INDEX name, or the index of USING INDEX (CREATE INDEX ...); empty
  // when the instance finds or makes the index.
  std::string usingIndex;
  std::optional<IndexDefinition> usingIndexDefinition;
};

// What an Oracle SQL script does to an instance; the embedded instance implements it, the
// script loader drives it. Every operation throws std::runtime_error (with an ORA- text where
// Oracle would give one) when it is refused.
class ScriptTarget {
 public:
  virtual ~ScriptTarget() = default;

  virtual void CreateUser(const std::string& user, const std::string& password) = 0;
  // The schema later statements without an owner refer to.
  virtual void SetCurrentSchema(const std::string& schema) = 0;
  // Checks a logon (CONNECT user/password in a script); throws ORA-01017 when refused.
  virtual void Connect(const std::string& user, const std::string& password) = 0;
  virtual void CreateTable(const std::string& owner, const std::string& table,
                           const std::vector<ColumnDefinition>& columns,
                           const std::vector<ConstraintDefinition>& constraints) = 0;
  virtual void AddConstraint(const std::string& owner, const std::string& table,
                             const ConstraintDefinition& constraint) = 0;
  // Column names as stored; values already of the kinds the columns deliver (text, exact
  // decimal, double, date, bytes, null). Columns not named get their default or NULL.
  virtual void InsertRow(const std::string& owner, const std::string& table,
                         const std::vector<std::string>& columns,
                         const std::vector<Variant>& values) = 0;
  virtual void Commit() = 0;

  // The stored column definitions of a table, for loaders that must know the column types to build
  // values; nullopt when the target does not know the table.
  virtual std::optional<std::vector<ColumnDefinition>> DescribeTable(const std::string& owner,
                                                                     const std::string& table) {
    (void)owner;
    (void)table;
    return std::nullopt;
  }
  // The constraints of a table the target holds (from an earlier load), with their columns;
  // empty when the target does not know the table.
  virtual std::vector<ConstraintDefinition> DescribeConstraints(const std::string& owner,
                                                                const std::string& table) {
    (void)owner;
    (void)table;
    return {};
  }
  // A name for a constraint the script left unnamed ("SYS_C0012345"), unique in the instance
  // across loads; empty when the target leaves naming to the loader.
  virtual std::string GenerateConstraintName() { return {}; }

  // The object types scripts created (CREATE TYPE; names without their schema), kept so that a
  // later load may use them as column types and constructors.
  virtual void RecordObjectType(const std::string& name) { (void)name; }
  virtual std::set<std::string> ObjectTypes() { return {}; }

  // Undoes what was not committed (ROLLBACK).
  virtual void Rollback() {}
  // Marks a point the work after which can be undone alone (a block, a statement of many
  // rows); returns its number.
  virtual long Savepoint() { return 0; }
  virtual void RollbackToSavepoint(long savepoint) { (void)savepoint; }
  virtual void ReleaseSavepoint(long savepoint) { (void)savepoint; }

  virtual void CreateSequence(const std::string& owner, const std::string& name,
                              const SequenceOptions& options) {
    (void)owner;
    (void)name;
    (void)options;
    throw std::runtime_error("sequences are not supported here");
  }
  virtual void DropSequence(const std::string& owner, const std::string& name) {
    (void)owner;
    (void)name;
  }
  // The sequence's next value (NEXTVAL), as a decimal text.
  virtual std::string NextSequenceValue(const std::string& owner, const std::string& name) {
    (void)owner;
    throw std::runtime_error("ORA-02289: sequence does not exist (" + name + ")");
  }

  // The rows of a table, each value of the kind its column delivers; nullopt when the table
  // does not exist.
  struct TableRows {
    std::vector<ColumnDefinition> columns;
    std::vector<std::vector<Variant>> rows;
  };
  virtual std::optional<TableRows> ReadTable(const std::string& owner, const std::string& table) {
    (void)owner;
    (void)table;
    return std::nullopt;
  }
  // What UPDATE or DELETE does to one row: keep it, delete it, or set some of its columns
  // (nullopt for a column left as it is).
  struct RowChange {
    enum class Kind { Keep, Update, Delete };
    Kind kind = Kind::Keep;
    std::vector<std::optional<Variant>> values;
  };
  // Decides for each row of a table in turn, then applies the changes; returns the count of
  // rows changed. Throws as InsertRow does for a value a column refuses.
  virtual long ChangeRows(const std::string& owner, const std::string& table,
                          const std::function<RowChange(const std::vector<Variant>& row)>& decide) {
    (void)owner;
    (void)table;
    (void)decide;
    throw std::runtime_error("UPDATE and DELETE are not supported here");
  }
  virtual void TruncateTable(const std::string& owner, const std::string& table) {
    (void)owner;
    (void)table;
  }
  // DROP TABLE; `cascadeConstraints` also drops the foreign keys of other tables that refer
  // to it (without it those refuse the drop with ORA-02449).
  virtual void DropTable(const std::string& owner, const std::string& table,
                         bool cascadeConstraints) {
    (void)owner;
    (void)table;
    (void)cascadeConstraints;
  }
  // ENABLE / DISABLE [VALIDATE | NOVALIDATE] of a constraint: the dictionary's STATUS and
  // VALIDATED only.
  virtual void SetConstraintEnabled(const std::string& owner, const std::string& table,
                                    const std::string& constraint, bool enabled, bool validated) {
    (void)owner;
    (void)table;
    (void)constraint;
    (void)enabled;
    (void)validated;
  }
  // ALTER TABLE ... DROP CONSTRAINT; `cascade` also drops the foreign keys that refer to a
  // key (without it those refuse the drop with ORA-02273); `keepIndex` keeps the index the
  // key made.
  virtual void DropConstraint(const std::string& owner, const std::string& table,
                              const std::string& constraint, bool cascade, bool keepIndex) {
    (void)owner;
    (void)table;
    (void)constraint;
    (void)cascade;
    (void)keepIndex;
    throw std::runtime_error("dropping constraints is not supported here");
  }

  virtual void CreateIndex(const std::string& owner, const std::string& table,
                           const IndexDefinition& index) {
    (void)owner;
    (void)table;
    (void)index;
    throw std::runtime_error("indexes are not supported here");
  }
  virtual void DropIndex(const std::string& owner, const std::string& index) {
    (void)owner;
    (void)index;
    throw std::runtime_error("ORA-01418: specified index does not exist");
  }
  // COMMENT ON TABLE (an empty `column`) or COMMENT ON COLUMN; an absent or empty text
  // removes the comment, as in Oracle.
  virtual void SetComment(const std::string& owner, const std::string& table,
                          const std::string& column, const std::optional<std::string>& text) {
    (void)owner;
    (void)table;
    (void)column;
    (void)text;
  }
};

}  // namespace skerrow::oracle
