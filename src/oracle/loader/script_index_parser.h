#pragma once

#include <optional>
#include <string>
#include <vector>

#include "oracle/script_target.h"
#include "oracle/sql_cursor.h"

namespace skerrow::oracle {

// One entry of an index's column list as written: a column, or an expression's tokens.
struct IndexItem {
  std::string column;         // the name of a plain column; empty for an expression
  std::vector<Token> tokens;  // the expression's tokens (without ASC or DESC)
  bool descending = false;
};

// CREATE [UNIQUE | BITMAP] INDEX as a script declares it.
struct IndexDeclaration {
  std::string owner;  // empty when the statement names none
  std::string name;
  std::string tableOwner;
  std::string table;
  bool unique = false;
  bool bitmap = false;
  bool reverse = false;
  bool domain = false;  // INDEXTYPE IS ...
  std::vector<IndexItem> items;
  // Why the instance cannot keep the index (an index on a cluster, a bitmap join index); empty
  // when it can.
  std::string unsupported;
};

// The rest of CREATE [UNIQUE | BITMAP] INDEX after the word INDEX: the name, ON table, the
// column list and the index's attributes. Stops at the end of the statement or at the ")"
// that closes USING INDEX (CREATE INDEX ...).
IndexDeclaration ParseCreateIndex(TokenCursor& cursor, bool unique, bool bitmap);

// An expression of an index as Oracle's dictionary shows it (USER_IND_EXPRESSIONS): the names
// of the table's columns quoted, other words upper-cased, e.g. UPPER("LAST_NAME").
std::string IndexExpressionText(const std::vector<Token>& tokens,
                                const std::vector<ColumnDefinition>& columns);

// The instance's definition of a declared index on a table with `columns`.
IndexDefinition ToIndexDefinition(const IndexDeclaration& declaration,
                                  const std::vector<ColumnDefinition>& columns);

// COMMENT ON TABLE t IS '...' / COMMENT ON COLUMN t.c IS '...'.
struct CommentDeclaration {
  std::string owner;  // empty when the statement names none
  std::string table;
  std::string column;  // empty for a table's comment
  std::string text;
  // What else the comment is on (MATERIALIZED VIEW, OPERATOR, ...), which is not kept; empty
  // for a table or column.
  std::string otherObject;
};

// The rest of COMMENT ON after the word ON.
CommentDeclaration ParseComment(TokenCursor& cursor);

}  // namespace skerrow::oracle
