#include "oracle/catalog_store.h"

#include "oracle/catalog_indexes.h"
#include "oracle/oracle_names.h"
#include "text/ascii.h"

namespace skerrow::oracle {

namespace {

std::optional<int> OptionalInt(const SqliteStatement& row, int index) {
  if (row.ColumnIsNull(index)) return std::nullopt;
  return static_cast<int>(row.ColumnInt(index));
}

UserRecord UserFromRow(const SqliteStatement& row) {
  return UserRecord{static_cast<long>(row.ColumnInt(0)), row.ColumnText(1), row.ColumnText(2)};
}

}  // namespace

void CreateCatalogTables(const SqliteDatabase& catalog) {
  catalog.Exec(R"sql(
    CREATE TABLE settings(name TEXT PRIMARY KEY, value TEXT);
    INSERT INTO settings VALUES ('next_constraint_number', '10001');
    CREATE TABLE users(
      user_id INTEGER PRIMARY KEY, username TEXT NOT NULL UNIQUE, password TEXT NOT NULL,
      created TEXT NOT NULL DEFAULT CURRENT_TIMESTAMP);
    CREATE TABLE tables(
      seq INTEGER PRIMARY KEY, owner TEXT NOT NULL, table_name TEXT NOT NULL,
      UNIQUE(owner, table_name));
    CREATE TABLE columns(
      owner TEXT NOT NULL, table_name TEXT NOT NULL, column_id INTEGER NOT NULL,
      column_name TEXT NOT NULL, data_type TEXT NOT NULL, data_type_owner TEXT,
      data_length INTEGER NOT NULL, data_precision INTEGER, data_scale INTEGER,
      nullable TEXT NOT NULL, data_default TEXT, char_length INTEGER NOT NULL,
      char_used TEXT,
      PRIMARY KEY(owner, table_name, column_id), UNIQUE(owner, table_name, column_name));
    CREATE TABLE constraints(
      seq INTEGER PRIMARY KEY, owner TEXT NOT NULL, constraint_name TEXT NOT NULL,
      constraint_type TEXT NOT NULL, table_name TEXT NOT NULL, search_condition TEXT,
      r_owner TEXT, r_constraint_name TEXT, generated TEXT NOT NULL,
      status TEXT NOT NULL DEFAULT 'ENABLED',
      UNIQUE(owner, constraint_name));
    CREATE TABLE cons_columns(
      owner TEXT NOT NULL, constraint_name TEXT NOT NULL, table_name TEXT NOT NULL,
      column_name TEXT NOT NULL, position INTEGER);
    CREATE INDEX cons_columns_by_constraint ON cons_columns(owner, constraint_name, position);
  )sql");
  UpgradeCatalogTables(catalog);
}

void UpgradeCatalogTables(const SqliteDatabase& catalog) {
  catalog.Exec(R"sql(
    CREATE TABLE IF NOT EXISTS sequences(
      owner TEXT NOT NULL, sequence_name TEXT NOT NULL, min_value TEXT NOT NULL,
      max_value TEXT NOT NULL, increment_by TEXT NOT NULL, cycle_flag TEXT NOT NULL,
      order_flag TEXT NOT NULL, cache_size INTEGER NOT NULL, last_number TEXT NOT NULL,
      UNIQUE(owner, sequence_name));
    CREATE TABLE IF NOT EXISTS identity_columns(
      owner TEXT NOT NULL, table_name TEXT NOT NULL, column_name TEXT NOT NULL,
      generation_type TEXT NOT NULL, on_null TEXT NOT NULL, sequence_name TEXT NOT NULL,
      identity_options TEXT NOT NULL, UNIQUE(owner, table_name, column_name));
    CREATE TABLE IF NOT EXISTS object_types(type_name TEXT PRIMARY KEY);
    INSERT OR IGNORE INTO settings VALUES ('next_object_number', '73001');
  )sql");
  CreateIndexCatalogTables(catalog);
}

std::optional<UserRecord> FindUser(const SqliteDatabase& catalog, const std::string& name) {
  SqliteStatement query(catalog,
                        "SELECT user_id, username, password FROM users WHERE username = ?");
  query.BindText(1, name);
  if (!query.Step()) return std::nullopt;
  return UserFromRow(query);
}

std::optional<UserRecord> FindUserIgnoringCase(const SqliteDatabase& catalog,
                                               const std::string& name) {
  for (auto& user : AllUsers(catalog))
    if (text::EqualsIgnoringAsciiCase(user.name, name)) return user;
  return std::nullopt;
}

std::vector<UserRecord> AllUsers(const SqliteDatabase& catalog) {
  SqliteStatement query(catalog, "SELECT user_id, username, password FROM users ORDER BY user_id");
  std::vector<UserRecord> users;
  while (query.Step()) users.push_back(UserFromRow(query));
  return users;
}

std::optional<std::vector<ColumnDefinition>> FindTableColumns(const SqliteDatabase& catalog,
                                                              const std::string& owner,
                                                              const std::string& table) {
  SqliteStatement exists(catalog, "SELECT 1 FROM tables WHERE owner = ? AND table_name = ?");
  exists.BindText(1, owner);
  exists.BindText(2, table);
  if (!exists.Step()) return std::nullopt;
  SqliteStatement query(catalog,
                        "SELECT column_name, data_type, data_type_owner, data_length, "
                        "data_precision, data_scale, char_length, char_used, nullable, "
                        "data_default FROM columns WHERE owner = ? AND table_name = ? "
                        "ORDER BY column_id");
  query.BindText(1, owner);
  query.BindText(2, table);
  std::vector<ColumnDefinition> columns;
  while (query.Step()) {
    ColumnDefinition column;
    column.name = query.ColumnText(0);
    column.dataType = query.ColumnText(1);
    if (!query.ColumnIsNull(2)) column.typeOwner = query.ColumnText(2);
    column.dataLength = static_cast<int>(query.ColumnInt(3));
    column.dataPrecision = OptionalInt(query, 4);
    column.dataScale = OptionalInt(query, 5);
    column.charLength = static_cast<int>(query.ColumnInt(6));
    column.charUsed = query.ColumnText(7);
    column.nullable = query.ColumnText(8) == "Y";
    if (!query.ColumnIsNull(9)) column.dataDefault = query.ColumnText(9);
    columns.push_back(std::move(column));
  }
  for (auto& [name, identity] : FindIdentityColumns(catalog, owner, table))
    for (auto& column : columns)
      if (column.name == name) column.identity = identity;
  return columns;
}

std::optional<std::string> FindTableIgnoringCase(const SqliteDatabase& catalog,
                                                 const std::string& owner,
                                                 const std::string& table) {
  SqliteStatement query(catalog, "SELECT table_name FROM tables WHERE owner = ?");
  query.BindText(1, owner);
  while (query.Step()) {
    std::string name = query.ColumnText(0);
    if (text::EqualsIgnoringAsciiCase(name, table)) return name;
  }
  return std::nullopt;
}

std::vector<ConstraintDefinition> FindTableConstraints(const SqliteDatabase& catalog,
                                                       const std::string& owner,
                                                       const std::string& table) {
  SqliteStatement query(catalog,
                        "SELECT constraint_name, constraint_type, search_condition, r_owner, "
                        "r_constraint_name, generated, status FROM constraints WHERE owner = ? AND "
                        "table_name = ? ORDER BY seq");
  query.BindText(1, owner);
  query.BindText(2, table);
  std::vector<ConstraintDefinition> constraints;
  while (query.Step()) {
    ConstraintDefinition constraint;
    constraint.name = query.ColumnText(0);
    constraint.type = query.ColumnText(1).empty() ? 'C' : query.ColumnText(1)[0];
    constraint.searchCondition = query.ColumnText(2);
    constraint.refOwner = query.ColumnText(3);
    constraint.refConstraintName = query.ColumnText(4);
    constraint.generatedName = query.ColumnText(5) == "GENERATED NAME";
    constraint.enabled = query.ColumnText(6) != "DISABLED";
    constraints.push_back(std::move(constraint));
  }
  SqliteStatement columns(catalog,
                          "SELECT column_name FROM cons_columns WHERE owner = ? AND "
                          "constraint_name = ? ORDER BY position");
  for (auto& constraint : constraints) {
    columns.Reset();
    columns.BindText(1, owner);
    columns.BindText(2, constraint.name);
    while (columns.Step()) constraint.columns.push_back(columns.ColumnText(0));
  }
  return constraints;
}

std::vector<std::pair<std::string, IdentityDefinition>> FindIdentityColumns(
    const SqliteDatabase& catalog, const std::string& owner, const std::string& table) {
  std::vector<std::pair<std::string, IdentityDefinition>> found;
  SqliteStatement exists(catalog,
                         "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = "
                         "'identity_columns'");
  if (!exists.Step()) return found;
  SqliteStatement query(catalog,
                        "SELECT column_name, generation_type, on_null, sequence_name FROM "
                        "identity_columns WHERE owner = ? AND table_name = ?");
  query.BindText(1, owner);
  query.BindText(2, table);
  while (query.Step()) {
    IdentityDefinition identity;
    identity.always = query.ColumnText(1) == "ALWAYS";
    identity.onNull = query.ColumnText(2) == "YES";
    identity.sequenceName = query.ColumnText(3);
    found.emplace_back(query.ColumnText(0), std::move(identity));
  }
  return found;
}

std::filesystem::path SchemaFile(const std::filesystem::path& instanceDirectory, long userId) {
  return instanceDirectory / "schemas" / ("schema_" + std::to_string(userId) + ".db");
}

void AttachSchema(const SqliteDatabase& db, const std::filesystem::path& instanceDirectory,
                  const UserRecord& user) {
  SqliteStatement attached(db, "SELECT 1 FROM pragma_database_list WHERE name = ?");
  attached.BindText(1, user.name);
  if (attached.Step()) return;
  SqliteStatement attach(db, "ATTACH DATABASE ? AS " + QuoteSqliteName(user.name));
  attach.BindText(1, SchemaFile(instanceDirectory, user.id).string());
  attach.Step();
}

}  // namespace skerrow::oracle
