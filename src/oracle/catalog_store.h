#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "oracle/script_target.h"
#include "oracle/sqlite_handle.h"

namespace skerrow::oracle {

// The catalog database of an instance (catalog.db): users, tables, columns, constraints and
// their columns. Names are kept exactly as Oracle stores them; lookups are case-sensitive.
inline constexpr const char* kCatalogFileName = "catalog.db";

struct UserRecord {
  long id = 0;
  std::string name;
  std::string password;
};

void CreateCatalogTables(const SqliteDatabase& catalog);
// Adds what later versions keep in the catalog (sequences, identity columns, indexes,
// comments) to an instance made before them; does nothing when they are there.
void UpgradeCatalogTables(const SqliteDatabase& catalog);

std::optional<UserRecord> FindUser(const SqliteDatabase& catalog, const std::string& name);
// A user whose name differs from `name` only in ASCII case (schema databases are attached
// under the user's name, and SQLite compares those names without regard to case).
std::optional<UserRecord> FindUserIgnoringCase(const SqliteDatabase& catalog,
                                               const std::string& name);
std::vector<UserRecord> AllUsers(const SqliteDatabase& catalog);

// The columns of a table in COLUMN_ID order; nullopt when the table does not exist.
std::optional<std::vector<ColumnDefinition>> FindTableColumns(const SqliteDatabase& catalog,
                                                              const std::string& owner,
                                                              const std::string& table);
// A table of `owner` whose name differs from `table` only in ASCII case.
std::optional<std::string> FindTableIgnoringCase(const SqliteDatabase& catalog,
                                                 const std::string& owner,
                                                 const std::string& table);

// The constraints of a table, with their columns in position order.
std::vector<ConstraintDefinition> FindTableConstraints(const SqliteDatabase& catalog,
                                                       const std::string& owner,
                                                       const std::string& table);

// The identity columns of a table: column name to its definition (without options).
std::vector<std::pair<std::string, IdentityDefinition>> FindIdentityColumns(
    const SqliteDatabase& catalog, const std::string& owner, const std::string& table);

std::filesystem::path SchemaFile(const std::filesystem::path& instanceDirectory, long userId);

// Attaches the schema database of `user` under the user's name unless it is attached already.
void AttachSchema(const SqliteDatabase& db, const std::filesystem::path& instanceDirectory,
                  const UserRecord& user);

}  // namespace skerrow::oracle
