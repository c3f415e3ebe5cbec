#pragma once

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "oracle/loader/script_index_parser.h"
#include "oracle/script_target.h"
#include "oracle/sql_cursor.h"

namespace skerrow::oracle {

// A constraint as a script declares it. A foreign key names the table (and columns) it refers
// to; the loader resolves that to the referenced key's constraint name. Unnamed constraints
// have an empty name.
struct DeclaredConstraint {
  ConstraintDefinition definition;
  std::string refTable;
  std::vector<std::string> refColumns;
  // USING INDEX (CREATE INDEX ...): the index the key is to make and use.
  std::optional<IndexDeclaration> usingIndex;
};

struct TableDeclaration {
  std::string owner;
  std::string name;
  std::vector<ColumnDefinition> columns;
  std::vector<DeclaredConstraint> constraints;
};

struct QualifiedName {
  std::string owner;  // empty when the statement does not name one
  std::string name;
};

// [owner.]name
QualifiedName ReadQualifiedName(TokenCursor& cursor, std::string_view what);

// The rest of CREATE [GLOBAL TEMPORARY] TABLE after the keyword TABLE: name, column list with
// inline and out-of-line constraints; storage, tablespace and organisation clauses after the
// list are ignored. `statement` is the statement's text (DATA_DEFAULT keeps it as written);
// `objectTypes` are the object types created so far.
TableDeclaration ParseCreateTable(TokenCursor& cursor, std::string_view statement,
                                  const std::string& currentSchema,
                                  const std::set<std::string>& objectTypes);

// How ALTER TABLE names a constraint: CONSTRAINT name, PRIMARY KEY or UNIQUE (columns).
struct ConstraintReference {
  std::string name;                  // for CONSTRAINT name
  char keyType = 0;                  // 'P' or 'U' for PRIMARY KEY and UNIQUE (...)
  std::vector<std::string> columns;  // for UNIQUE (...)
};

// ALTER TABLE t DROP CONSTRAINT c | DROP PRIMARY KEY | DROP UNIQUE (...) [CASCADE]
// [KEEP INDEX | DROP INDEX] [ONLINE].
struct ConstraintDrop {
  ConstraintReference constraint;
  bool cascade = false;
  bool keepIndex = false;
};
// True at a DROP clause that drops a constraint (not a column or a partition).
bool StartsConstraintDrop(const TokenCursor& cursor);
// At DROP.
ConstraintDrop ParseConstraintDrop(TokenCursor& cursor);

// ALTER TABLE t MODIFY CONSTRAINT c ENABLE, ALTER TABLE t ENABLE NOVALIDATE CONSTRAINT c,
// DISABLE PRIMARY KEY, ... : the new state of one constraint.
struct ConstraintStateChange {
  ConstraintReference constraint;
  bool enable = true;
  std::optional<bool> validate;  // VALIDATE or NOVALIDATE when given
};
// True at MODIFY, ENABLE or DISABLE when a constraint follows (not ENABLE ROW MOVEMENT, ...).
bool StartsConstraintStateChange(const TokenCursor& cursor);
ConstraintStateChange ParseConstraintStateChange(TokenCursor& cursor);

// The clauses of ALTER TABLE t after the table name, when they are ADD clauses of constraints:
// ADD [CONSTRAINT n] ..., ADD ( constraint, ... ), repeated. Fails for an added column.
std::vector<DeclaredConstraint> ParseAddConstraints(TokenCursor& cursor,
                                                    std::string_view statement);

}  // namespace skerrow::oracle
