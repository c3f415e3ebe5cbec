#pragma once

#include <optional>
#include <string>
#include <vector>

#include "db/variant.h"

namespace skerrow::oracle {

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
  // A name for a constraint the script left unnamed ("SYS_C0012345"), unique in the instance
  // across loads; empty when the target leaves naming to the loader.
  virtual std::string GenerateConstraintName() { return {}; }
};

}  // namespace skerrow::oracle
