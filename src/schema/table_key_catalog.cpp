#include "schema/table_key_catalog.h"

#include <algorithm>

#include "schema/column_catalog.h"
#include "text/ascii.h"
#include "transfer/oracle_sql_text.h"

namespace skerrow {

namespace {

// The rows of `query`; none when the result is empty (whose fetch would fail).
RowArray Rows(SourceConnection& source, const std::string& query) {
  source.Execute(query);
  if (source.EndOfRows()) return RowArray();
  return source.GetRows();
}

std::string Field(const RowArray& rows, std::size_t field, std::size_t row) {
  if (field >= rows.FieldCount()) return {};
  return CatalogValueText(rows.At(field, row), false);
}

// A text as the dictionary holds it, not trimmed: comments and conditions keep their spaces.
std::string RawField(const RowArray& rows, std::size_t field, std::size_t row) {
  if (field >= rows.FieldCount()) return {};
  return rows.At(field, row).ToText().value_or("");
}

std::string Literal(const std::string& tableName) {
  return OracleTextLiteral(tableName);
}

}  // namespace

std::string IndexCatalogQuery(const std::string& tableName) {
  return "select i.INDEX_NAME, i.INDEX_TYPE, i.UNIQUENESS, c.COLUMN_NAME, c.COLUMN_POSITION, "
         "c.DESCEND, i.GENERATED from USER_INDEXES i, USER_IND_COLUMNS c where i.TABLE_NAME = " +
         Literal(tableName) +
         " and c.INDEX_NAME = i.INDEX_NAME and c.TABLE_NAME = i.TABLE_NAME order by "
         "i.INDEX_NAME, c.COLUMN_POSITION";
}

std::string IndexExpressionQuery(const std::string& tableName) {
  return "select INDEX_NAME, COLUMN_POSITION, COLUMN_EXPRESSION from USER_IND_EXPRESSIONS "
         "where TABLE_NAME = " +
         Literal(tableName);
}

std::string KeyConstraintQuery(const std::string& tableName) {
  return "select CONSTRAINT_NAME, CONSTRAINT_TYPE, SEARCH_CONDITION, STATUS, INDEX_NAME, "
         "R_OWNER, R_CONSTRAINT_NAME, DELETE_RULE, GENERATED from USER_CONSTRAINTS where "
         "TABLE_NAME = " +
         Literal(tableName) + " order by CONSTRAINT_NAME";
}

std::string KeyConstraintColumnQuery(const std::string& tableName) {
  return "select CONSTRAINT_NAME, COLUMN_NAME, POSITION from USER_CONS_COLUMNS where "
         "TABLE_NAME = " +
         Literal(tableName) + " order by CONSTRAINT_NAME, POSITION";
}

std::string TableCommentQuery(const std::string& tableName) {
  return "select COMMENTS from USER_TAB_COMMENTS where TABLE_NAME = " + Literal(tableName) +
         " and COMMENTS is not null";
}

std::string ColumnCommentQuery(const std::string& tableName) {
  return "select COLUMN_NAME, COMMENTS from USER_COL_COMMENTS where TABLE_NAME = " +
         Literal(tableName) + " and COMMENTS is not null";
}

std::string IdentityColumnQuery(const std::string& tableName) {
  return "select COLUMN_NAME, IDENTITY_OPTIONS from USER_TAB_IDENTITY_COLS where TABLE_NAME = " +
         Literal(tableName);
}

std::string ReferencedKeyQuery(const std::string& owner, const std::string& constraintName) {
  return "select c.TABLE_NAME, k.COLUMN_NAME from ALL_CONSTRAINTS c, ALL_CONS_COLUMNS k where "
         "c.OWNER = " +
         Literal(owner) + " and c.CONSTRAINT_NAME = " + Literal(constraintName) +
         " and k.OWNER = c.OWNER and k.CONSTRAINT_NAME = c.CONSTRAINT_NAME order by k.POSITION";
}

TableKeyCatalog ReadTableKeyCatalog(SourceConnection& source, const std::string& tableName) {
  TableKeyCatalog catalog;
  const RowArray indexRows = Rows(source, IndexCatalogQuery(tableName));
  for (std::size_t row = 0; row < indexRows.RowCount(); ++row) {
    const std::string name = Field(indexRows, 0, row);
    if (catalog.indexes.empty() || catalog.indexes.back().name != name) {
      SourceIndex index;
      index.name = name;
      index.type = Field(indexRows, 1, row);
      index.unique = Field(indexRows, 2, row) == "UNIQUE";
      index.generatedName = Field(indexRows, 6, row) == "Y";
      catalog.indexes.push_back(std::move(index));
    }
    catalog.indexes.back().columns.push_back(
        {Field(indexRows, 3, row), {}, Field(indexRows, 5, row) == "DESC"});
  }
  const RowArray expressionRows = Rows(source, IndexExpressionQuery(tableName));
  for (std::size_t row = 0; row < expressionRows.RowCount(); ++row) {
    const std::string name = Field(expressionRows, 0, row);
    const auto position = CatalogNumber(Field(expressionRows, 1, row));
    const auto index = std::find_if(catalog.indexes.begin(), catalog.indexes.end(),
                                    [&](const SourceIndex& i) { return i.name == name; });
    if (index == catalog.indexes.end() || !position || *position < 1 ||
        static_cast<std::size_t>(*position) > index->columns.size())
      continue;
    index->columns[static_cast<std::size_t>(*position) - 1].expression =
        text::TrimWhiteSpace(RawField(expressionRows, 2, row));
  }

  const RowArray constraintRows = Rows(source, KeyConstraintQuery(tableName));
  for (std::size_t row = 0; row < constraintRows.RowCount(); ++row) {
    SourceConstraint constraint;
    constraint.name = Field(constraintRows, 0, row);
    const std::string type = Field(constraintRows, 1, row);
    constraint.type = type.size() == 1 ? type[0] : '?';
    constraint.searchCondition = text::TrimWhiteSpace(RawField(constraintRows, 2, row));
    constraint.enabled = Field(constraintRows, 3, row) != "DISABLED";
    constraint.indexName = Field(constraintRows, 4, row);
    constraint.refOwner = Field(constraintRows, 5, row);
    constraint.refConstraintName = Field(constraintRows, 6, row);
    constraint.deleteRule = Field(constraintRows, 7, row);
    constraint.generatedName = Field(constraintRows, 8, row) == "GENERATED NAME";
    catalog.constraints.push_back(std::move(constraint));
  }
  const RowArray constraintColumns = Rows(source, KeyConstraintColumnQuery(tableName));
  for (std::size_t row = 0; row < constraintColumns.RowCount(); ++row) {
    const std::string name = Field(constraintColumns, 0, row);
    for (auto& constraint : catalog.constraints)
      if (constraint.name == name) constraint.columns.push_back(Field(constraintColumns, 1, row));
  }
  for (auto& constraint : catalog.constraints) {
    if (constraint.type != 'R') continue;
    const RowArray referenced =
        Rows(source, ReferencedKeyQuery(constraint.refOwner, constraint.refConstraintName));
    for (std::size_t row = 0; row < referenced.RowCount(); ++row) {
      constraint.refTable = Field(referenced, 0, row);
      constraint.refColumns.push_back(Field(referenced, 1, row));
    }
  }

  const RowArray tableComments = Rows(source, TableCommentQuery(tableName));
  for (std::size_t row = 0; row < tableComments.RowCount(); ++row)
    catalog.comments.push_back({{}, RawField(tableComments, 0, row)});
  const RowArray columnComments = Rows(source, ColumnCommentQuery(tableName));
  for (std::size_t row = 0; row < columnComments.RowCount(); ++row)
    catalog.comments.push_back({Field(columnComments, 0, row), RawField(columnComments, 1, row)});

  try {
    const RowArray identities = Rows(source, IdentityColumnQuery(tableName));
    for (std::size_t row = 0; row < identities.RowCount(); ++row)
      catalog.identities.push_back({Field(identities, 0, row), RawField(identities, 1, row)});
  } catch (const SourceError&) {
    // No identity view: the source has no identity columns.
  }
  return catalog;
}

}  // namespace skerrow
