#pragma once

#include <set>
#include <string>
#include <string_view>
#include <vector>

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

// The clauses of ALTER TABLE t after the table name, when they are ADD clauses of constraints:
// ADD [CONSTRAINT n] ..., ADD ( constraint, ... ), repeated. Fails for an added column.
std::vector<DeclaredConstraint> ParseAddConstraints(TokenCursor& cursor,
                                                    std::string_view statement);

}  // namespace skerrow::oracle
