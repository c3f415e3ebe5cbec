#pragma once

#include <string>
#include <vector>

#include "db/source_connection.h"

namespace skerrow {

// What the source declares on a table besides its columns and primary key, as its dictionary
// shows it (USER_INDEXES, USER_CONSTRAINTS, the comment and identity views).

struct SourceIndexColumn {
  std::string column;  // the column, or the hidden SYS_NC...$ column of an expression
  // COLUMN_EXPRESSION of USER_IND_EXPRESSIONS; empty for a plain column. A DESC column shows
  // as its quoted name, "LAST_NAME".
  std::string expression;
  bool descending = false;
};

struct SourceIndex {
  std::string name;
  std::string type;  // INDEX_TYPE: "NORMAL", "BITMAP", "FUNCTION-BASED NORMAL", ...
  bool unique = false;
  std::vector<SourceIndexColumn> columns;
  bool generatedName = false;  // GENERATED 'Y': a name the source made up (SYS_C...)
};

struct SourceConstraint {
  std::string name;
  char type = 0;  // 'P', 'U', 'C', 'R'
  std::string searchCondition;
  bool enabled = true;
  std::string indexName;  // for 'P' and 'U'
  std::string refOwner;   // for 'R'
  std::string refConstraintName;
  std::string deleteRule;
  std::vector<std::string> columns;  // in key order
  // For 'R': the table and columns of the key it refers to.
  std::string refTable;
  std::vector<std::string> refColumns;
  bool generatedName = false;  // GENERATED 'GENERATED NAME'
};

struct SourceComment {
  std::string column;  // empty for the table's own comment
  std::string text;
};

struct SourceIdentity {
  std::string column;
  std::string options;  // IDENTITY_OPTIONS: "START WITH: 1, INCREMENT BY: 1, ..."
};

struct TableKeyCatalog {
  std::vector<SourceIndex> indexes;
  std::vector<SourceConstraint> constraints;
  std::vector<SourceComment> comments;
  std::vector<SourceIdentity> identities;
};

// The queries, each of the connected user's table `tableName`.
std::string IndexCatalogQuery(const std::string& tableName);
std::string IndexExpressionQuery(const std::string& tableName);
std::string KeyConstraintQuery(const std::string& tableName);
std::string KeyConstraintColumnQuery(const std::string& tableName);
std::string TableCommentQuery(const std::string& tableName);
std::string ColumnCommentQuery(const std::string& tableName);
std::string IdentityColumnQuery(const std::string& tableName);
std::string ReferencedKeyQuery(const std::string& owner, const std::string& constraintName);

// Reads all of it. A failing query raises the source's SourceError, except the identity
// view's: a source without identity columns (before Oracle 12c) has no such view.
TableKeyCatalog ReadTableKeyCatalog(SourceConnection& source, const std::string& tableName);

}  // namespace skerrow
