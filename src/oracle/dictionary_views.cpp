#include "oracle/dictionary_views.h"

#include "text/ascii.h"

namespace skerrow::oracle {

namespace {

constexpr const char* kViewNames[] = {"USER_TABLES",
                                      "ALL_TABLES",
                                      "USER_TAB_COLUMNS",
                                      "ALL_TAB_COLUMNS",
                                      "USER_CONSTRAINTS",
                                      "ALL_CONSTRAINTS",
                                      "USER_CONS_COLUMNS",
                                      "ALL_CONS_COLUMNS",
                                      "USER_USERS",
                                      "ALL_USERS",
                                      "USER_SEQUENCES",
                                      "ALL_SEQUENCES",
                                      "USER_TAB_IDENTITY_COLS",
                                      "ALL_TAB_IDENTITY_COLS",
                                      "USER_INDEXES",
                                      "ALL_INDEXES",
                                      "USER_IND_COLUMNS",
                                      "ALL_IND_COLUMNS",
                                      "USER_IND_EXPRESSIONS",
                                      "ALL_IND_EXPRESSIONS",
                                      "USER_TAB_COMMENTS",
                                      "ALL_TAB_COMMENTS",
                                      "USER_COL_COMMENTS",
                                      "ALL_COL_COMMENTS"};

std::string TablesView(const std::string& name, bool withOwner, const std::string& filter) {
  return "CREATE TEMP VIEW " + name + " AS SELECT " + (withOwner ? "owner AS OWNER, " : "") +
         "table_name AS TABLE_NAME, 'USERS' AS TABLESPACE_NAME, 'VALID' AS STATUS, "
         "'N' AS TEMPORARY, 'NO' AS NESTED, 'NO' AS PARTITIONED, NULL AS NUM_ROWS "
         "FROM main.tables" +
         filter + ";\n";
}

// Oracle hands out a table's columns in COLUMN_ID order when a query does not sort them, and
// the converter builds its tables in that order; without this SQLite would follow the
// column-name index and return them alphabetically.
constexpr const char* kColumnOrder = " ORDER BY owner, table_name, column_id";

std::string ColumnsView(const std::string& name, bool withOwner, const std::string& filter) {
  return "CREATE TEMP VIEW " + name + " AS SELECT " + (withOwner ? "owner AS OWNER, " : "") +
         "table_name AS TABLE_NAME, column_name AS COLUMN_NAME, data_type AS DATA_TYPE, "
         "NULL AS DATA_TYPE_MOD, data_type_owner AS DATA_TYPE_OWNER, "
         "data_length AS DATA_LENGTH, data_precision AS DATA_PRECISION, "
         "data_scale AS DATA_SCALE, nullable AS NULLABLE, column_id AS COLUMN_ID, "
         "length(CAST(data_default AS BLOB)) AS DEFAULT_LENGTH, data_default AS DATA_DEFAULT, "
         "char_length AS CHAR_LENGTH, char_used AS CHAR_USED, "
         "CASE WHEN char_used IS NULL THEN NULL ELSE char_length END AS CHAR_COL_DECL_LENGTH, "
         "CASE WHEN EXISTS (SELECT 1 FROM identity_columns i WHERE i.owner = c.owner AND "
         "i.table_name = c.table_name AND i.column_name = c.column_name) THEN 'YES' ELSE 'NO' "
         "END AS IDENTITY_COLUMN "
         "FROM main.columns c" +
         filter + kColumnOrder + ";\n";
}

// `filter` restricts the constraint rows, aliased c.
std::string ConstraintsView(const std::string& name, const std::string& filter) {
  return "CREATE TEMP VIEW " + name +
         " AS SELECT c.owner AS OWNER, c.constraint_name AS CONSTRAINT_NAME, "
         "c.constraint_type AS CONSTRAINT_TYPE, c.table_name AS TABLE_NAME, "
         "c.search_condition AS SEARCH_CONDITION, c.r_owner AS R_OWNER, "
         "c.r_constraint_name AS R_CONSTRAINT_NAME, "
         "CASE c.constraint_type WHEN 'R' THEN coalesce(d.delete_rule, 'NO ACTION') END AS "
         "DELETE_RULE, "
         "c.status AS STATUS, 'NOT DEFERRABLE' AS \"DEFERRABLE\", 'IMMEDIATE' AS \"DEFERRED\", "
         "coalesce(d.validated, CASE c.status WHEN 'ENABLED' THEN 'VALIDATED' ELSE "
         "'NOT VALIDATED' END) AS VALIDATED, "
         "c.generated AS GENERATED, "
         "CASE WHEN c.constraint_type IN ('P', 'U') THEN coalesce(d.index_owner, c.owner) END "
         "AS INDEX_OWNER, "
         "CASE WHEN c.constraint_type IN ('P', 'U') THEN coalesce(d.index_name, "
         "c.constraint_name) END AS INDEX_NAME "
         "FROM main.constraints c LEFT JOIN constraint_details d ON d.owner = c.owner AND "
         "d.constraint_name = c.constraint_name" +
         filter + ";\n";
}

std::string ConsColumnsView(const std::string& name, const std::string& filter) {
  return "CREATE TEMP VIEW " + name +
         " AS SELECT owner AS OWNER, constraint_name AS CONSTRAINT_NAME, "
         "table_name AS TABLE_NAME, column_name AS COLUMN_NAME, position AS POSITION "
         "FROM main.cons_columns" +
         filter + ";\n";
}

std::string SequencesView(const std::string& name, bool withOwner, const std::string& filter) {
  return "CREATE TEMP VIEW " + name + " AS SELECT " +
         (withOwner ? "owner AS SEQUENCE_OWNER, " : "") +
         "sequence_name AS SEQUENCE_NAME, CAST(min_value AS NUMERIC) AS MIN_VALUE, "
         "CAST(max_value AS NUMERIC) AS MAX_VALUE, "
         "CAST(increment_by AS NUMERIC) AS INCREMENT_BY, cycle_flag AS CYCLE_FLAG, "
         "order_flag AS ORDER_FLAG, "
         "cache_size AS CACHE_SIZE, CAST(last_number AS NUMERIC) AS LAST_NUMBER FROM sequences" +
         filter + " ORDER BY sequence_name;\n";
}

std::string IdentityView(const std::string& name, bool withOwner, const std::string& filter) {
  return "CREATE TEMP VIEW " + name + " AS SELECT " + (withOwner ? "owner AS OWNER, " : "") +
         "table_name AS TABLE_NAME, column_name AS COLUMN_NAME, generation_type AS "
         "GENERATION_TYPE, sequence_name AS SEQUENCE_NAME, identity_options AS IDENTITY_OPTIONS "
         "FROM identity_columns" +
         filter + ";\n";
}

// Index views: `filter` restricts the index rows, aliased i (or the column rows, aliased k).
std::string IndexesView(const std::string& name, bool withOwner, const std::string& filter) {
  return "CREATE TEMP VIEW " + name + " AS SELECT " + (withOwner ? "i.owner AS OWNER, " : "") +
         "i.index_name AS INDEX_NAME, i.index_type AS INDEX_TYPE, i.table_owner AS "
         "TABLE_OWNER, i.table_name AS TABLE_NAME, 'TABLE' AS TABLE_TYPE, i.uniqueness AS "
         "UNIQUENESS, 'DISABLED' AS COMPRESSION, 'USERS' AS TABLESPACE_NAME, 'VALID' AS STATUS, "
         "i.generated AS GENERATED, 'VISIBLE' AS VISIBILITY, "
         "CASE WHEN i.index_type LIKE 'FUNCTION-BASED%' THEN 'ENABLED' END AS FUNCIDX_STATUS "
         "FROM indexes i" +
         filter + ";\n";
}

std::string IndexColumnsView(const std::string& name, bool withOwner, const std::string& filter) {
  return "CREATE TEMP VIEW " + name + " AS SELECT " +
         (withOwner ? "k.index_owner AS INDEX_OWNER, " : "") + "k.index_name AS INDEX_NAME, " +
         (withOwner ? "k.table_owner AS TABLE_OWNER, " : "") +
         "k.table_name AS TABLE_NAME, k.column_name AS COLUMN_NAME, k.column_position AS "
         "COLUMN_POSITION, k.column_length AS COLUMN_LENGTH, "
         "coalesce(c.char_length, 0) AS CHAR_LENGTH, k.descend AS DESCEND "
         "FROM ind_columns k LEFT JOIN main.columns c ON c.owner = k.table_owner AND "
         "c.table_name = k.table_name AND c.column_name = k.column_name" +
         filter + " ORDER BY k.index_owner, k.index_name, k.column_position;\n";
}

std::string IndexExpressionsView(const std::string& name, bool withOwner,
                                 const std::string& filter) {
  return "CREATE TEMP VIEW " + name + " AS SELECT " +
         (withOwner ? "k.index_owner AS INDEX_OWNER, " : "") + "k.index_name AS INDEX_NAME, " +
         (withOwner ? "k.table_owner AS TABLE_OWNER, " : "") +
         "k.table_name AS TABLE_NAME, k.column_expression AS COLUMN_EXPRESSION, "
         "k.column_position AS COLUMN_POSITION FROM ind_columns k WHERE "
         "k.column_expression IS NOT NULL" +
         filter + " ORDER BY k.index_owner, k.index_name, k.column_position;\n";
}

// Every table has a row, with or without a comment, as in Oracle.
std::string TableCommentsView(const std::string& name, bool withOwner, const std::string& filter) {
  return "CREATE TEMP VIEW " + name + " AS SELECT " + (withOwner ? "t.owner AS OWNER, " : "") +
         "t.table_name AS TABLE_NAME, 'TABLE' AS TABLE_TYPE, m.comments AS COMMENTS "
         "FROM main.tables t LEFT JOIN comments m ON m.owner = t.owner AND m.table_name = "
         "t.table_name AND m.column_name = ''" +
         filter + ";\n";
}

std::string ColumnCommentsView(const std::string& name, bool withOwner, const std::string& filter) {
  return "CREATE TEMP VIEW " + name + " AS SELECT " + (withOwner ? "c.owner AS OWNER, " : "") +
         "c.table_name AS TABLE_NAME, c.column_name AS COLUMN_NAME, m.comments AS COMMENTS "
         "FROM main.columns c LEFT JOIN comments m ON m.owner = c.owner AND m.table_name = "
         "c.table_name AND m.column_name = c.column_name" +
         filter + " ORDER BY c.owner, c.table_name, c.column_id;\n";
}

// An instance made before sequences, identity columns, indexes and comments has no tables for
// them: empty stand-ins of the session's own keep the views working.
void AddMissingCatalogTables(const SqliteDatabase& catalog) {
  SqliteStatement present(catalog,
                          "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN "
                          "('sequences', 'identity_columns', 'indexes', 'ind_columns', "
                          "'constraint_details', 'comments')");
  present.Step();
  if (present.ColumnInt(0) == 6) return;
  catalog.Exec(
      "CREATE TEMP TABLE IF NOT EXISTS sequences(owner, sequence_name, min_value, max_value, "
      "increment_by, cycle_flag, order_flag, cache_size, last_number);"
      "CREATE TEMP TABLE IF NOT EXISTS identity_columns(owner, table_name, column_name, "
      "generation_type, on_null, sequence_name, identity_options);"
      "CREATE TEMP TABLE IF NOT EXISTS indexes(seq, owner, index_name, table_owner, "
      "table_name, index_type, uniqueness, generated, constraint_index);"
      "CREATE TEMP TABLE IF NOT EXISTS ind_columns(index_owner, index_name, table_owner, "
      "table_name, column_name, column_position, column_length, descend, column_expression);"
      "CREATE TEMP TABLE IF NOT EXISTS constraint_details(owner, constraint_name, table_name, "
      "delete_rule, validated, index_owner, index_name);"
      "CREATE TEMP TABLE IF NOT EXISTS comments(owner, table_name, column_name, comments);");
}

}  // namespace

void CreateDictionaryViews(const SqliteDatabase& catalog, const std::string& user) {
  AddMissingCatalogTables(catalog);
  const std::string mine = " WHERE owner = " + QuoteSqliteText(user);
  std::string sql;
  sql += TablesView("USER_TABLES", false, mine);
  sql += TablesView("ALL_TABLES", true, "");
  sql += ColumnsView("USER_TAB_COLUMNS", false, mine);
  sql += ColumnsView("ALL_TAB_COLUMNS", true, "");
  const std::string quotedUser = QuoteSqliteText(user);
  sql += ConstraintsView("USER_CONSTRAINTS", " WHERE c.owner = " + quotedUser);
  sql += ConstraintsView("ALL_CONSTRAINTS", "");
  sql += ConsColumnsView("USER_CONS_COLUMNS", mine);
  sql += ConsColumnsView("ALL_CONS_COLUMNS", "");
  sql +=
      "CREATE TEMP VIEW USER_USERS AS SELECT username AS USERNAME, user_id AS USER_ID, "
      "'USERS' AS DEFAULT_TABLESPACE, created AS CREATED FROM main.users WHERE username = " +
      QuoteSqliteText(user) + ";\n";
  sql +=
      "CREATE TEMP VIEW ALL_USERS AS SELECT username AS USERNAME, user_id AS USER_ID, "
      "created AS CREATED FROM main.users;\n";
  sql += SequencesView("USER_SEQUENCES", false, mine);
  sql += SequencesView("ALL_SEQUENCES", true, "");
  sql += IdentityView("USER_TAB_IDENTITY_COLS", false, mine);
  sql += IdentityView("ALL_TAB_IDENTITY_COLS", true, "");
  sql += IndexesView("USER_INDEXES", false, " WHERE i.owner = " + quotedUser);
  sql += IndexesView("ALL_INDEXES", true, "");
  sql += IndexColumnsView("USER_IND_COLUMNS", false, " WHERE k.index_owner = " + quotedUser);
  sql += IndexColumnsView("ALL_IND_COLUMNS", true, "");
  sql += IndexExpressionsView("USER_IND_EXPRESSIONS", false, " AND k.index_owner = " + quotedUser);
  sql += IndexExpressionsView("ALL_IND_EXPRESSIONS", true, "");
  sql += TableCommentsView("USER_TAB_COMMENTS", false, " WHERE t.owner = " + quotedUser);
  sql += TableCommentsView("ALL_TAB_COMMENTS", true, "");
  sql += ColumnCommentsView("USER_COL_COMMENTS", false, " WHERE c.owner = " + quotedUser);
  sql += ColumnCommentsView("ALL_COL_COMMENTS", true, "");
  sql += "CREATE TEMP VIEW DUAL AS SELECT 'X' AS DUMMY;\n";
  catalog.Exec(sql);
}

bool IsDictionaryViewName(std::string_view name) {
  const std::string upper = text::ToUpperAscii(name);
  if (upper == "DUAL") return true;
  for (const char* view : kViewNames)
    if (upper == view) return true;
  return false;
}

bool NamesDictionaryView(const std::vector<Token>& tokens) {
  for (const auto& token : tokens) {
    const std::string name = token.Name();
    for (const char* view : kViewNames)
      if (name == view) return true;
  }
  return false;
}

}  // namespace skerrow::oracle
