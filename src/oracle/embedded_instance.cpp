#include "oracle/embedded_instance.h"

#include <map>
#include <set>
#include <stdexcept>
#include <system_error>

#include "oracle/catalog_store.h"
#include "oracle/column_default.h"
#include "oracle/oracle_names.h"
#include "oracle/stored_value.h"
#include "text/ascii.h"

namespace skerrow::oracle {

namespace {

[[noreturn]] void Refuse(const std::string& message) {
  throw std::runtime_error(message);
}

// One table as InsertRow needs it, kept until the next DDL statement.
struct TableForInsert {
  long userId = 0;
  std::vector<ColumnDefinition> columns;
  std::vector<std::string> qualifiedColumns;
  std::vector<ConstraintDefinition> keys;  // P and U constraints
  SqliteStatement insert;
};

}  // namespace

struct EmbeddedInstance::Impl {
  std::filesystem::path directory;
  SqliteDatabase catalog;
  std::map<long, SqliteDatabase> schemas;  // opened on first use
  std::set<long> schemasInTransaction;
  std::string currentUser;
  long currentUserId = 0;
  std::string currentSchema;
  std::map<std::pair<std::string, std::string>, TableForInsert> tables;

  Impl(std::filesystem::path dir, bool create)
      : directory(std::move(dir)), catalog(directory / kCatalogFileName, false, create) {}

  SqliteDatabase& Schema(long userId) {
    auto found = schemas.find(userId);
    if (found != schemas.end()) return found->second;
    return schemas.try_emplace(userId, SchemaFile(directory, userId), false, true).first->second;
  }

  void CommitAll() {
    for (long userId : schemasInTransaction) Schema(userId).Exec("COMMIT");
    schemasInTransaction.clear();
  }

  void RollbackAll() noexcept {
    for (long userId : schemasInTransaction) {
      try {
        Schema(userId).Exec("ROLLBACK");
      } catch (const std::exception&) {
        // Nothing more can be done for a transaction SQLite could not roll back.
      }
    }
    schemasInTransaction.clear();
  }

  std::string ResolveOwner(const std::string& owner) const {
    if (!owner.empty()) return owner;
    if (!currentSchema.empty()) return currentSchema;
    Refuse("no schema given and no current schema set (CONNECT or CREATE USER first)");
  }

  UserRecord RequireUser(const std::string& name) const {
    auto user = FindUser(catalog, name);
    if (!user) Refuse("ORA-01918: user '" + name + "' does not exist");
    return *user;
  }

  std::vector<ColumnDefinition> RequireColumns(const std::string& owner, const std::string& table) {
    auto columns = FindTableColumns(catalog, owner, table);
    if (!columns) Refuse("ORA-00942: table or view does not exist");
    return *columns;
  }

  long NextConstraintNumber() {
    SqliteStatement read(catalog,
                         "SELECT value FROM settings WHERE name = 'next_constraint_number'");
    long number = read.Step() ? std::stol(read.ColumnText(0)) : 10001;
    SqliteStatement write(catalog,
                          "UPDATE settings SET value = ? WHERE name = 'next_constraint_number'");
    write.BindText(1, std::to_string(number + 1));
    write.Step();
    return number;
  }

  // Records a constraint in the dictionary (inside the caller's catalog transaction) and
  // creates the unique index that enforces a key. Returns the name used.
  void AddConstraintRecords(const std::string& owner, const std::string& table,
                            ConstraintDefinition constraint, std::vector<ColumnDefinition>& columns,
                            long userId) {
    if (constraint.type != 'P' && constraint.type != 'U' && constraint.type != 'R' &&
        constraint.type != 'C')
      Refuse(std::string("unknown constraint type '") + constraint.type + "'");
    bool generated = constraint.generatedName || constraint.name.empty();
    if (constraint.name.empty()) {
      char name[32];
      std::snprintf(name, sizeof name, "SYS_C%07ld", NextConstraintNumber());
      constraint.name = name;
    }
    for (const auto& columnName : constraint.columns) {
      bool known = false;
      for (const auto& column : columns) known = known || column.name == columnName;
      if (!known) Refuse("ORA-00904: " + QuoteOracleName(columnName) + ": invalid identifier");
    }
    if ((constraint.type == 'P' || constraint.type == 'U' || constraint.type == 'R') &&
        constraint.columns.empty())
      Refuse("ORA-00904: a key constraint needs at least one column");
    if (constraint.type == 'P') {
      SqliteStatement existing(catalog,
                               "SELECT 1 FROM constraints WHERE owner = ? AND table_name = ? "
                               "AND constraint_type = 'P'");
      existing.BindText(1, owner);
      existing.BindText(2, table);
      if (existing.Step()) Refuse("ORA-02260: table can have only one primary key");
    }
    SqliteStatement insert(catalog,
                           "INSERT INTO constraints(owner, constraint_name, constraint_type, "
                           "table_name, search_condition, r_owner, r_constraint_name, generated) "
                           "VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    insert.BindText(1, owner);
    insert.BindText(2, constraint.name);
    insert.BindText(3, std::string(1, constraint.type));
    insert.BindText(4, table);
    if (constraint.type == 'C') insert.BindText(5, constraint.searchCondition);
    if (constraint.type == 'R') {
      insert.BindText(6, constraint.refOwner.empty() ? owner : constraint.refOwner);
      insert.BindText(7, constraint.refConstraintName);
    }
    insert.BindText(8, generated ? "GENERATED NAME" : "USER NAME");
    try {
      insert.Step();
    } catch (const std::runtime_error&) {
      if (sqlite3_extended_errcode(catalog.Get()) == SQLITE_CONSTRAINT_UNIQUE)
        Refuse("ORA-02264: name already used by an existing constraint");
      throw;
    }
    const long sequence = static_cast<long>(sqlite3_last_insert_rowid(catalog.Get()));
    SqliteStatement member(catalog,
                           "INSERT INTO cons_columns(owner, constraint_name, table_name, "
                           "column_name, position) VALUES (?, ?, ?, ?, ?)");
    int position = 0;
    for (const auto& columnName : constraint.columns) {
      member.Reset();
      member.BindText(1, owner);
      member.BindText(2, constraint.name);
      member.BindText(3, table);
      member.BindText(4, columnName);
      if (constraint.type != 'C') member.BindInt(5, ++position);
      member.Step();
    }
    if (constraint.type == 'P') {
      // Key columns are NOT NULL, as Oracle's dictionary shows them.
      SqliteStatement notNull(catalog,
                              "UPDATE columns SET nullable = 'N' WHERE owner = ? AND "
                              "table_name = ? AND column_name = ?");
      for (const auto& columnName : constraint.columns) {
        notNull.Reset();
        notNull.BindText(1, owner);
        notNull.BindText(2, table);
        notNull.BindText(3, columnName);
        notNull.Step();
        for (auto& column : columns)
          if (column.name == columnName) column.nullable = false;
      }
    }
    if (constraint.type == 'P' || constraint.type == 'U')
      CreateKeyIndex(owner, table, constraint, sequence, userId);
  }

  void CreateKeyIndex(const std::string& owner, const std::string& table,
                      const ConstraintDefinition& constraint, long sequence, long userId) {
    SqliteDatabase& schema = Schema(userId);
    std::string columnList;
    for (const auto& column : constraint.columns) {
      if (!columnList.empty()) columnList += ", ";
      columnList += QuoteSqliteName(column);
    }
    if (constraint.type == 'P') {
      std::string anyNull;
      for (const auto& column : constraint.columns)
        anyNull += (anyNull.empty() ? "" : " OR ") + QuoteSqliteName(column) + " IS NULL";
      SqliteStatement nulls(schema, "SELECT 1 FROM main." + QuoteSqliteName(table) + " WHERE " +
                                        anyNull + " LIMIT 1");
      if (nulls.Step()) Refuse("ORA-01449: column contains NULL values; cannot alter to NOT NULL");
    }
    try {
      schema.Exec("CREATE UNIQUE INDEX main." +
                  QuoteSqliteName("skerrow_key_" + std::to_string(sequence)) + " ON " +
                  QuoteSqliteName(table) + "(" + columnList + ")");
    } catch (const std::runtime_error&) {
      if ((sqlite3_extended_errcode(schema.Get()) & 0xFF) == SQLITE_CONSTRAINT)
        Refuse(constraint.type == 'P' ? "ORA-02437: cannot validate (" + owner + "." +
                                            constraint.name + ") - primary key violated"
                                      : "ORA-02299: cannot validate (" + owner + "." +
                                            constraint.name + ") - duplicate keys found");
      throw;
    }
  }

  TableForInsert& TableFor(const std::string& owner, const std::string& table) {
    const auto key = std::make_pair(owner, table);
    auto found = tables.find(key);
    if (found != tables.end()) return found->second;
    const UserRecord user = RequireUser(owner);
    TableForInsert entry;
    entry.userId = user.id;
    entry.columns = RequireColumns(owner, table);
    for (const auto& column : entry.columns)
      entry.qualifiedColumns.push_back(QualifiedColumnName(owner, table, column.name));
    for (auto& constraint : FindTableConstraints(catalog, owner, table))
      if (constraint.type == 'P' || constraint.type == 'U') entry.keys.push_back(constraint);
    std::string placeholders;
    for (std::size_t i = 0; i < entry.columns.size(); ++i) placeholders += i ? ", ?" : "?";
    entry.insert = SqliteStatement(Schema(user.id), "INSERT INTO main." + QuoteSqliteName(table) +
                                                        " VALUES (" + placeholders + ")");
    return tables.emplace(key, std::move(entry)).first->second;
  }

  // The key a unique violation broke, from SQLite's "UNIQUE constraint failed: T.A, T.B".
  std::string ViolatedKeyName(const TableForInsert& entry, const std::string& owner,
                              const std::string& table, const std::string& message) {
    std::string expected;
    for (const auto& key : entry.keys) {
      expected.clear();
      for (const auto& column : key.columns)
        expected += (expected.empty() ? "" : ", ") + table + "." + column;
      if (message.size() >= expected.size() &&
          message.compare(message.size() - expected.size(), expected.size(), expected) == 0)
        return owner + "." + key.name;
    }
    return entry.keys.empty() ? owner + "." + table : owner + "." + entry.keys.front().name;
  }
};

EmbeddedInstance::EmbeddedInstance(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

EmbeddedInstance::~EmbeddedInstance() {
  // Work that was never committed is lost, as when an Oracle session ends without COMMIT.
  impl_->RollbackAll();
}

std::unique_ptr<EmbeddedInstance> EmbeddedInstance::Create(const std::filesystem::path& directory) {
  std::error_code error;
  if (std::filesystem::exists(directory, error))
    Refuse("cannot create an embedded Oracle instance in " + directory.string() +
           ": it exists already");
  std::filesystem::create_directories(directory / "schemas", error);
  if (error)
    Refuse("cannot create an embedded Oracle instance in " + directory.string() + ": " +
           error.message());
  auto impl = std::make_unique<Impl>(directory, true);
  impl->catalog.Exec("BEGIN");
  CreateCatalogTables(impl->catalog);
  impl->catalog.Exec("COMMIT");
  return std::unique_ptr<EmbeddedInstance>(new EmbeddedInstance(std::move(impl)));
}

std::unique_ptr<EmbeddedInstance> EmbeddedInstance::Open(const std::filesystem::path& directory) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(directory / kCatalogFileName, error))
    Refuse("there is no embedded Oracle instance in " + directory.string());
  auto impl = std::make_unique<Impl>(directory, false);
  return std::unique_ptr<EmbeddedInstance>(new EmbeddedInstance(std::move(impl)));
}

void EmbeddedInstance::Drop(const std::filesystem::path& directory) {
  std::error_code error;
  // Only a directory that holds an instance is removed, never an arbitrary one.
  if (!std::filesystem::is_regular_file(directory / kCatalogFileName, error))
    Refuse("there is no embedded Oracle instance in " + directory.string());
  std::filesystem::remove_all(directory, error);
  if (error) Refuse("cannot remove " + directory.string() + ": " + error.message());
}

const std::filesystem::path& EmbeddedInstance::Directory() const {
  return impl_->directory;
}

void EmbeddedInstance::CreateUser(const std::string& user, const std::string& password) {
  if (user.empty()) Refuse("ORA-01935: missing user or role name");
  impl_->CommitAll();
  if (FindUser(impl_->catalog, user))
    Refuse("ORA-01920: user name '" + user + "' conflicts with another user or role name");
  if (auto similar = FindUserIgnoringCase(impl_->catalog, user))
    Refuse("the embedded instance cannot hold both users " + QuoteOracleName(similar->name) +
           " and " + QuoteOracleName(user) + ": their names differ only in case");
  SqliteStatement insert(impl_->catalog, "INSERT INTO users(username, password) VALUES (?, ?)");
  insert.BindText(1, user);
  insert.BindText(2, password);
  insert.Step();
  const long id = static_cast<long>(sqlite3_last_insert_rowid(impl_->catalog.Get()));
  impl_->Schema(id).Exec("PRAGMA user_version = 1");  // writes the schema file at once
}

void EmbeddedInstance::SetCurrentSchema(const std::string& schema) {
  if (!FindUser(impl_->catalog, schema)) Refuse("ORA-01435: user does not exist");
  impl_->currentSchema = schema;
}

void EmbeddedInstance::Connect(const std::string& user, const std::string& password) {
  auto record = FindUser(impl_->catalog, user);
  if (!record || record->password != password)
    Refuse("ORA-01017: invalid username/password; logon denied");
  // A new logon ends the previous session's transaction with a commit, as SQL*Plus does.
  impl_->CommitAll();
  impl_->currentUser = record->name;
  impl_->currentUserId = record->id;
  impl_->currentSchema = record->name;
}

void EmbeddedInstance::CreateTable(const std::string& ownerName, const std::string& table,
                                   const std::vector<ColumnDefinition>& columnDefinitions,
                                   const std::vector<ConstraintDefinition>& constraints) {
  const std::string owner = impl_->ResolveOwner(ownerName);
  const UserRecord user = impl_->RequireUser(owner);
  if (table.empty()) Refuse("ORA-00903: invalid table name");
  if (columnDefinitions.empty()) Refuse("ORA-00904: a table needs at least one column");
  impl_->CommitAll();  // DDL commits, as in Oracle
  if (FindTableColumns(impl_->catalog, owner, table))
    Refuse("ORA-00955: name is already used by an existing object");
  if (auto similar = FindTableIgnoringCase(impl_->catalog, owner, table))
    Refuse("the embedded instance cannot hold both tables " + QuoteOracleName(*similar) + " and " +
           QuoteOracleName(table) + " in one schema: their names differ only in case");
  std::set<std::string> seen;
  std::set<std::string> seenFolded;
  for (const auto& column : columnDefinitions) {
    if (column.name.empty() || column.dataType.empty())
      Refuse("ORA-00904: a column needs a name and a type");
    if (!seen.insert(column.name).second) Refuse("ORA-00957: duplicate column name");
    if (!seenFolded.insert(text::ToUpperAscii(column.name)).second)
      Refuse("the embedded instance cannot hold columns whose names differ only in case (" +
             QuoteOracleName(column.name) + ")");
  }

  std::vector<ColumnDefinition> columns = columnDefinitions;
  SqliteDatabase& schema = impl_->Schema(user.id);
  std::string definitions;
  for (const auto& column : columns)
    definitions += (definitions.empty() ? "" : ", ") + QuoteSqliteName(column.name);
  impl_->catalog.Exec("BEGIN");
  bool tableCreated = false;
  try {
    SqliteStatement addTable(impl_->catalog, "INSERT INTO tables(owner, table_name) VALUES (?, ?)");
    addTable.BindText(1, owner);
    addTable.BindText(2, table);
    addTable.Step();
    SqliteStatement addColumn(
        impl_->catalog,
        "INSERT INTO columns(owner, table_name, column_id, column_name, data_type, "
        "data_type_owner, data_length, data_precision, data_scale, nullable, data_default, "
        "char_length, char_used) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    int columnId = 0;
    for (const auto& column : columns) {
      addColumn.Reset();
      addColumn.BindText(1, owner);
      addColumn.BindText(2, table);
      addColumn.BindInt(3, ++columnId);
      addColumn.BindText(4, column.name);
      addColumn.BindText(5, column.dataType);
      if (column.typeOwner) addColumn.BindText(6, *column.typeOwner);
      addColumn.BindInt(7, column.dataLength);
      if (column.dataPrecision) addColumn.BindInt(8, *column.dataPrecision);
      if (column.dataScale) addColumn.BindInt(9, *column.dataScale);
      addColumn.BindText(10, column.nullable ? "Y" : "N");
      if (column.dataDefault) addColumn.BindText(11, *column.dataDefault);
      addColumn.BindInt(12, column.charLength);
      if (!column.charUsed.empty()) addColumn.BindText(13, column.charUsed);
      addColumn.Step();
    }
    // Column types are left out on purpose: without an affinity SQLite keeps every value
    // exactly as bound (decimal text stays text).
    schema.Exec("CREATE TABLE main." + QuoteSqliteName(table) + "(" + definitions + ")");
    tableCreated = true;
    for (const auto& constraint : constraints)
      impl_->AddConstraintRecords(owner, table, constraint, columns, user.id);
    impl_->catalog.Exec("COMMIT");
  } catch (...) {
    impl_->catalog.Exec("ROLLBACK");
    if (tableCreated) {
      try {
        schema.Exec("DROP TABLE main." + QuoteSqliteName(table));
      } catch (const std::exception&) {
        // The dictionary no longer names the table; a stray storage table does no harm.
      }
    }
    throw;
  }
  impl_->tables.clear();
}

void EmbeddedInstance::AddConstraint(const std::string& ownerName, const std::string& table,
                                     const ConstraintDefinition& constraint) {
  const std::string owner = impl_->ResolveOwner(ownerName);
  const UserRecord user = impl_->RequireUser(owner);
  impl_->CommitAll();
  std::vector<ColumnDefinition> columns = impl_->RequireColumns(owner, table);
  impl_->catalog.Exec("BEGIN");
  try {
    impl_->AddConstraintRecords(owner, table, constraint, columns, user.id);
    impl_->catalog.Exec("COMMIT");
  } catch (...) {
    impl_->catalog.Exec("ROLLBACK");
    throw;
  }
  impl_->tables.clear();
}

void EmbeddedInstance::InsertRow(const std::string& ownerName, const std::string& table,
                                 const std::vector<std::string>& columnNames,
                                 const std::vector<Variant>& values) {
  const std::string owner = impl_->ResolveOwner(ownerName);
  TableForInsert& entry = impl_->TableFor(owner, table);
  const std::size_t width = entry.columns.size();
  if (!columnNames.empty() && columnNames.size() != values.size())
    Refuse(columnNames.size() > values.size() ? "ORA-00947: not enough values"
                                              : "ORA-00913: too many values");
  if (columnNames.empty() && values.size() != width)
    Refuse(width > values.size() ? "ORA-00947: not enough values" : "ORA-00913: too many values");

  std::vector<const Variant*> given(width, nullptr);
  if (columnNames.empty()) {
    for (std::size_t i = 0; i < width; ++i) given[i] = &values[i];
  } else {
    for (std::size_t i = 0; i < columnNames.size(); ++i) {
      std::size_t index = width;
      for (std::size_t c = 0; c < width; ++c)
        if (entry.columns[c].name == columnNames[i]) index = c;
      if (index == width)
        Refuse("ORA-00904: " + QuoteOracleName(columnNames[i]) + ": invalid identifier");
      if (given[index]) Refuse("ORA-00957: duplicate column name");
      given[index] = &values[i];
    }
  }

  const DefaultContext context{impl_->currentUser.empty() ? owner : impl_->currentUser,
                               impl_->currentUser.empty() ? entry.userId : impl_->currentUserId};
  SqliteStatement& insert = entry.insert;
  insert.Reset();
  for (std::size_t c = 0; c < width; ++c) {
    const ColumnDefinition& column = entry.columns[c];
    Variant value = given[c]             ? *given[c]
                    : column.dataDefault ? EvaluateColumnDefault(*column.dataDefault, context)
                                         : Variant::Null();
    ToStoredValue(value, column, entry.qualifiedColumns[c]).BindTo(insert, static_cast<int>(c + 1));
  }
  SqliteDatabase& schema = impl_->Schema(entry.userId);
  if (!impl_->schemasInTransaction.count(entry.userId)) {
    schema.Exec("BEGIN");
    impl_->schemasInTransaction.insert(entry.userId);
  }
  try {
    insert.Step();
  } catch (const std::runtime_error& error) {
    const int code = sqlite3_extended_errcode(schema.Get());
    insert.Reset();
    if (code == SQLITE_CONSTRAINT_UNIQUE)
      Refuse("ORA-00001: unique constraint (" +
             impl_->ViolatedKeyName(entry, owner, table, error.what()) + ") violated");
    throw;
  }
  insert.Reset();
}

void EmbeddedInstance::Commit() {
  impl_->CommitAll();
}

std::optional<std::vector<ColumnDefinition>> EmbeddedInstance::DescribeTable(
    const std::string& owner, const std::string& table) {
  return FindTableColumns(impl_->catalog, impl_->ResolveOwner(owner), table);
}

}  // namespace skerrow::oracle
