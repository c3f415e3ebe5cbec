#include "oracle/embedded_instance.h"

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <system_error>

#include "oracle/catalog_indexes.h"
#include "oracle/catalog_store.h"
#include "oracle/column_default.h"
#include "oracle/index_rules.h"
#include "oracle/oracle_names.h"
#include "oracle/sequence_rules.h"
#include "oracle/sql_decimal.h"
#include "oracle/sql_lexer.h"
#include "oracle/stored_value.h"
#include "text/ascii.h"

namespace skerrow::oracle {

namespace {

[[noreturn]] void Refuse(const std::string& message) {
  throw std::runtime_error(message);
}

// The most rows one UPDATE, DELETE or read of a whole table handles: a bound on memory.
constexpr std::size_t kMaxRowsRead = 5'000'000;

// One table as InsertRow needs it, kept until the next DDL statement.
struct TableForInsert {
  long userId = 0;
  std::vector<ColumnDefinition> columns;
  std::vector<std::string> qualifiedColumns;
  std::vector<ConstraintDefinition> keys;  // P and U constraints
  SqliteStatement insert;
};

// The sequence a DEFAULT seq.NEXTVAL (or owner.seq.NEXTVAL) names.
std::optional<std::pair<std::string, std::string>> SequenceOfDefault(const std::string& text,
                                                                     const std::string& owner) {
  if (text.find('.') == std::string::npos) return std::nullopt;
  std::vector<Token> tokens;
  try {
    tokens = Tokenize(text);
  } catch (const std::exception&) {
    return std::nullopt;
  }
  std::vector<std::string> path;
  std::size_t i = 0;
  for (; i < tokens.size() && tokens[i].IsName(); i += 2) {
    path.push_back(tokens[i].Name());
    if (!tokens[i + 1].IsSymbol(".")) {
      ++i;
      break;
    }
  }
  if (i >= tokens.size() || tokens[i].kind != TokenKind::End) return std::nullopt;
  if (path.size() < 2 || path.size() > 3 || path.back() != "NEXTVAL") return std::nullopt;
  if (path.size() == 2) return std::make_pair(owner, path[0]);
  return std::make_pair(path[0], path[1]);
}

// Runs `work` as one transaction of the catalog: committed when it returns, rolled back when it
// throws, so a refused DDL statement leaves the dictionary as it was.
void InCatalogTransaction(SqliteDatabase& catalog, const std::function<void()>& work) {
  catalog.Exec("BEGIN");
  try {
    work();
    catalog.Exec("COMMIT");
  } catch (...) {
    catalog.Exec("ROLLBACK");
    throw;
  }
}

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

  // Sequences in use, written back to the catalog at each commit and at the end: a value once
  // handed out is never handed out again, whatever is rolled back (as in Oracle).
  struct SequenceState {
    std::string minValue, maxValue, increment, next;
    bool cycle = false;
    bool dirty = false;
  };
  std::map<std::pair<std::string, std::string>, SequenceState> sequences;

  // Savepoints: the schemas whose transactions were open when each was set. A schema whose
  // transaction began later is rolled back whole when its savepoint is.
  struct SavepointMark {
    long id = 0;
    std::set<long> schemas;
  };
  std::vector<SavepointMark> savepoints;
  long savepointCounter = 0;

  Impl(std::filesystem::path dir, bool create)
      : directory(std::move(dir)), catalog(directory / kCatalogFileName, false, create) {}

  SqliteDatabase& Schema(long userId) {
    auto found = schemas.find(userId);
    if (found != schemas.end()) return found->second;
    return schemas.try_emplace(userId, SchemaFile(directory, userId), false, true).first->second;
  }

  void FlushSequences() {
    SqliteStatement write(catalog,
                          "UPDATE sequences SET last_number = ? WHERE owner = ? AND "
                          "sequence_name = ?");
    for (auto& [key, state] : sequences) {
      if (!state.dirty) continue;
      write.Reset();
      write.BindText(1, state.next);
      write.BindText(2, key.first);
      write.BindText(3, key.second);
      write.Step();
      state.dirty = false;
    }
  }

  void CommitAll() {
    FlushSequences();
    for (long userId : schemasInTransaction) Schema(userId).Exec("COMMIT");
    schemasInTransaction.clear();
    for (auto& mark : savepoints) mark.schemas.clear();
  }

  void BeginWrite(long userId) {
    if (schemasInTransaction.count(userId)) return;
    Schema(userId).Exec("BEGIN");
    schemasInTransaction.insert(userId);
  }

  std::string NextValue(const std::string& owner, const std::string& name) {
    const auto key = std::make_pair(owner, name);
    auto found = sequences.find(key);
    if (found == sequences.end()) {
      SqliteStatement read(catalog,
                           "SELECT min_value, max_value, increment_by, cycle_flag, last_number "
                           "FROM sequences WHERE owner = ? AND sequence_name = ?");
      read.BindText(1, owner);
      read.BindText(2, name);
      if (!read.Step())
        Refuse("ORA-02289: sequence does not exist (" + QuoteOracleName(owner) + "." +
               QuoteOracleName(name) + ")");
      SequenceState state{read.ColumnText(0), read.ColumnText(1),        read.ColumnText(2),
                          read.ColumnText(4), read.ColumnText(3) == "Y", false};
      found = sequences.emplace(key, std::move(state)).first;
    }
    SequenceState& state = found->second;
    const bool ascending = !state.increment.starts_with('-');
    const bool beyond = ascending ? CompareDecimals(state.next, state.maxValue) > 0
                                  : CompareDecimals(state.next, state.minValue) < 0;
    if (beyond) {
      if (!state.cycle)
        Refuse("ORA-08004: sequence " + name + ".NEXTVAL " +
               (ascending ? "exceeds MAXVALUE" : "goes below MINVALUE") +
               " and cannot be instantiated");
      state.next = ascending ? state.minValue : state.maxValue;
    }
    std::string value = state.next;
    state.next = DecimalAdd(value, state.increment);
    state.dirty = true;
    return value;
  }

  void InsertSequence(const std::string& owner, const std::string& name,
                      const SequenceOptions& options) {
    SqliteStatement table(catalog, "SELECT 1 FROM tables WHERE owner = ? AND table_name = ?");
    table.BindText(1, owner);
    table.BindText(2, name);
    if (table.Step()) Refuse("ORA-00955: name is already used by an existing object");
    SqliteStatement insert(catalog,
                           "INSERT INTO sequences(owner, sequence_name, min_value, max_value, "
                           "increment_by, cycle_flag, order_flag, cache_size, last_number) "
                           "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
    insert.BindText(1, owner);
    insert.BindText(2, name);
    insert.BindText(3, options.minValue);
    insert.BindText(4, options.maxValue);
    insert.BindText(5, options.incrementBy);
    insert.BindText(6, options.cycle ? "Y" : "N");
    insert.BindText(7, options.order ? "Y" : "N");
    insert.BindInt(8, options.cacheSize);
    insert.BindText(9, options.startWith);
    try {
      insert.Step();
    } catch (const std::runtime_error&) {
      if (sqlite3_extended_errcode(catalog.Get()) == SQLITE_CONSTRAINT_UNIQUE)
        Refuse("ORA-00955: name is already used by an existing object");
      throw;
    }
  }

  long NextObjectNumber() {
    SqliteStatement read(catalog, "SELECT value FROM settings WHERE name = 'next_object_number'");
    const long number = read.Step() ? static_cast<long>(read.ColumnInt(0)) : 73001;
    SqliteStatement write(catalog,
                          "UPDATE settings SET value = ? WHERE name = 'next_object_number'");
    write.BindText(1, std::to_string(number + 1));
    write.Step();
    return number;
  }

  void RollbackAll() noexcept {
    try {
      FlushSequences();
    } catch (const std::exception&) {
      // The catalog could not be written; the sequence restarts from its last stored value.
    }
    for (auto& mark : savepoints) mark.schemas.clear();
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
    const long number = read.Step() ? static_cast<long>(read.ColumnInt(0)) : 10001;
    SqliteStatement write(catalog,
                          "UPDATE settings SET value = ? WHERE name = 'next_constraint_number'");
    write.BindText(1, std::to_string(number + 1));
    write.Step();
    return number;
  }

  // Oracle's name for an unnamed constraint: SYS_C and the instance's next number, so that two
  // loads of one script into fresh instances name their constraints alike.
  std::string GeneratedConstraintName() { return SystemConstraintName(NextConstraintNumber()); }

  // Records a constraint in the dictionary (inside the caller's catalog transaction) and
  // creates the unique index that enforces a key. Returns the name used.
  void AddConstraintRecords(const std::string& owner, const std::string& table,
                            ConstraintDefinition constraint, std::vector<ColumnDefinition>& columns,
                            long userId) {
    if (constraint.type != 'P' && constraint.type != 'U' && constraint.type != 'R' &&
        constraint.type != 'C')
      Refuse(std::string("unknown constraint type '") + constraint.type + "'");
    const bool generated = constraint.generatedName || constraint.name.empty();
    constraint.generatedName = generated;
    if (constraint.name.empty()) constraint.name = GeneratedConstraintName();
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
                           "table_name, search_condition, r_owner, r_constraint_name, generated, "
                           "status) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
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
    insert.BindText(9, constraint.enabled ? "ENABLED" : "DISABLED");
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
    ConstraintDetails details;
    details.validated = constraint.validated.value_or(constraint.enabled);
    if (constraint.type == 'R') details.deleteRule = constraint.deleteRule;
    if (constraint.type == 'P' || constraint.type == 'U') {
      details.indexOwner = owner;
      details.indexName = KeyIndex(owner, table, constraint, columns, userId);
      CreateKeyIndex(owner, table, constraint, sequence, userId);
    }
    SetConstraintDetails(catalog, owner, constraint.name, table, details);
  }

  // The index a key uses: the one USING INDEX names or creates, else an index of the table
  // that can enforce it, else a unique index of the key's name made for it (and dropped with
  // it).
  std::string KeyIndex(const std::string& owner, const std::string& table,
                       const ConstraintDefinition& constraint,
                       const std::vector<ColumnDefinition>& columns, long userId) {
    std::optional<IndexRecord> index;
    if (constraint.usingIndexDefinition) {
      index = CreateIndexRecords(owner, table, *constraint.usingIndexDefinition, columns, userId);
    } else if (!constraint.usingIndex.empty()) {
      index = FindIndex(catalog, owner, constraint.usingIndex);
      if (!index) Refuse("ORA-01418: specified index does not exist");
    } else {
      index = IndexForKey(catalog, owner, table, constraint.columns);
    }
    if (index) {
      if (index->tableName != table || !CanEnforceKey(*index, constraint.columns))
        Refuse("ORA-14196: Specified index cannot be used to enforce the constraint.");
      return index->name;
    }
    IndexDefinition made;
    made.name = constraint.name;
    made.unique = true;
    made.generatedName = constraint.generatedName;
    for (const auto& column : constraint.columns) made.columns.push_back({column, "", false});
    IndexRecord record = NewIndexRecord(catalog, owner, table, made, columns);
    record.madeForConstraint = true;
    InsertIndexRecord(catalog, std::move(record), static_cast<int>(columns.size()));
    return made.name;
  }

  // Records a CREATE INDEX (inside the caller's catalog transaction) and makes the SQLite index
  // that refuses duplicates of a unique one.
  IndexRecord CreateIndexRecords(const std::string& owner, const std::string& table,
                                 const IndexDefinition& definition,
                                 const std::vector<ColumnDefinition>& columns, long userId) {
    IndexRecord record = NewIndexRecord(catalog, owner, table, definition, columns);
    record.seq = InsertIndexRecord(catalog, record, static_cast<int>(columns.size()));
    const std::string enforce = EnforcingIndexStatement(record);
    if (enforce.empty()) return record;
    SqliteDatabase& schema = Schema(userId);
    try {
      schema.Exec(enforce);
    } catch (const std::runtime_error&) {
      if ((sqlite3_extended_errcode(schema.Get()) & 0xFF) == SQLITE_CONSTRAINT)
        Refuse("ORA-01452: cannot CREATE UNIQUE INDEX; duplicate keys found");
      throw;
    }
    return record;
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
    // A unique index refuses a duplicate under its own name.
    for (const auto& index : FindTableIndexes(catalog, owner, table)) {
      if (EnforcingIndexStatement(index).empty()) continue;
      ConstraintDefinition indexKey;
      indexKey.name = index.name;
      for (const auto& column : index.columns)
        indexKey.columns.push_back(column.expression.empty() ? column.name
                                                             : StoredNameOf(column.expression));
      entry.keys.push_back(std::move(indexKey));
    }
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
  UpgradeCatalogTables(impl->catalog);
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
  std::vector<ConstraintDefinition> allConstraints = constraints;
  SqliteDatabase& schema = impl_->Schema(user.id);
  std::string definitions;
  for (const auto& column : columns)
    definitions += (definitions.empty() ? "" : ", ") + QuoteSqliteName(column.name);
  impl_->catalog.Exec("BEGIN");
  bool tableCreated = false;
  try {
    for (auto& column : columns) {
      if (!column.identity) continue;
      // Oracle's generator of an identity column: a sequence ISEQ$$_n, named in the default.
      column.identity->options = CompleteSequenceOptions(column.identity->options);
      column.identity->sequenceName = "ISEQ$$_" + std::to_string(impl_->NextObjectNumber());
      column.dataDefault = QuoteOracleName(owner) + "." +
                           QuoteOracleName(column.identity->sequenceName) + ".nextval";
      column.nullable = false;
      const std::string notNull = QuoteOracleName(column.name) + " IS NOT NULL";
      bool declared = false;
      for (const auto& constraint : allConstraints)
        declared = declared || (constraint.type == 'C' && constraint.searchCondition == notNull);
      if (!declared) {
        ConstraintDefinition check;
        check.type = 'C';
        check.columns = {column.name};
        check.searchCondition = notNull;
        check.generatedName = true;
        allConstraints.push_back(std::move(check));
      }
      impl_->InsertSequence(owner, column.identity->sequenceName, column.identity->options);
      SqliteStatement identity(impl_->catalog,
                               "INSERT INTO identity_columns(owner, table_name, column_name, "
                               "generation_type, on_null, sequence_name, identity_options) "
                               "VALUES (?, ?, ?, ?, ?, ?, ?)");
      identity.BindText(1, owner);
      identity.BindText(2, table);
      identity.BindText(3, column.name);
      identity.BindText(4, column.identity->always ? "ALWAYS" : "BY DEFAULT");
      identity.BindText(5, column.identity->onNull ? "YES" : "NO");
      identity.BindText(6, column.identity->sequenceName);
      identity.BindText(7, IdentityOptionsText(column.identity->options));
      identity.Step();
    }
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
    for (const auto& constraint : allConstraints)
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
  InCatalogTransaction(impl_->catalog, [&] {
    impl_->AddConstraintRecords(owner, table, constraint, columns, user.id);
  });
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
    Variant value;
    if (column.identity) {
      if (given[c] && column.identity->always)
        Refuse("ORA-32795: cannot insert into a generated always identity column (" +
               entry.qualifiedColumns[c] + ")");
      const bool generate =
          !given[c] || (column.identity->onNull && given[c]->Kind() == VariantKind::Null);
      value = generate
                  ? Variant::FromDecimal(impl_->NextValue(owner, column.identity->sequenceName))
                  : *given[c];
    } else if (given[c]) {
      value = *given[c];
    } else if (!column.dataDefault) {
      value = Variant::Null();
    } else if (auto sequence = SequenceOfDefault(*column.dataDefault, owner)) {
      value = Variant::FromDecimal(impl_->NextValue(sequence->first, sequence->second));
    } else {
      value = EvaluateColumnDefault(*column.dataDefault, context);
    }
    ToStoredValue(value, column, entry.qualifiedColumns[c]).BindTo(insert, static_cast<int>(c + 1));
  }
  SqliteDatabase& schema = impl_->Schema(entry.userId);
  impl_->BeginWrite(entry.userId);
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

std::vector<ConstraintDefinition> EmbeddedInstance::DescribeConstraints(const std::string& owner,
                                                                        const std::string& table) {
  return FindTableConstraints(impl_->catalog, impl_->ResolveOwner(owner), table);
}

}  // namespace skerrow::oracle

namespace skerrow::oracle {

void EmbeddedInstance::Rollback() {
  impl_->RollbackAll();
}

std::string EmbeddedInstance::GenerateConstraintName() {
  return impl_->GeneratedConstraintName();
}

void EmbeddedInstance::RecordObjectType(const std::string& name) {
  SqliteStatement insert(impl_->catalog, "INSERT OR IGNORE INTO object_types VALUES (?)");
  insert.BindText(1, name);
  insert.Step();
}

std::set<std::string> EmbeddedInstance::ObjectTypes() {
  std::set<std::string> names;
  SqliteStatement read(impl_->catalog, "SELECT type_name FROM object_types");
  while (read.Step()) names.insert(read.ColumnText(0));
  return names;
}

long EmbeddedInstance::Savepoint() {
  Impl::SavepointMark mark{++impl_->savepointCounter, impl_->schemasInTransaction};
  const std::string name = "skerrow_" + std::to_string(mark.id);
  for (long userId : mark.schemas) impl_->Schema(userId).Exec("SAVEPOINT " + name);
  impl_->savepoints.push_back(std::move(mark));
  return impl_->savepoints.back().id;
}

void EmbeddedInstance::RollbackToSavepoint(long savepoint) {
  auto& marks = impl_->savepoints;
  auto found = std::find_if(marks.begin(), marks.end(),
                            [&](const Impl::SavepointMark& mark) { return mark.id == savepoint; });
  if (found == marks.end()) return;
  const std::string name = "skerrow_" + std::to_string(savepoint);
  for (auto userId = impl_->schemasInTransaction.begin();
       userId != impl_->schemasInTransaction.end();) {
    SqliteDatabase& schema = impl_->Schema(*userId);
    if (found->schemas.count(*userId)) {
      schema.Exec("ROLLBACK TO " + name);
      schema.Exec("RELEASE " + name);
      ++userId;
    } else {
      schema.Exec("ROLLBACK");
      userId = impl_->schemasInTransaction.erase(userId);
    }
  }
  marks.erase(found, marks.end());
  impl_->tables.clear();  // prepared inserts may belong to a rolled-back transaction's tables
}

void EmbeddedInstance::ReleaseSavepoint(long savepoint) {
  auto& marks = impl_->savepoints;
  auto found = std::find_if(marks.begin(), marks.end(),
                            [&](const Impl::SavepointMark& mark) { return mark.id == savepoint; });
  if (found == marks.end()) return;
  const std::string name = "skerrow_" + std::to_string(savepoint);
  for (long userId : found->schemas)
    if (impl_->schemasInTransaction.count(userId)) impl_->Schema(userId).Exec("RELEASE " + name);
  marks.erase(found, marks.end());
}

void EmbeddedInstance::CreateSequence(const std::string& ownerName, const std::string& name,
                                      const SequenceOptions& options) {
  const std::string owner = impl_->ResolveOwner(ownerName);
  impl_->RequireUser(owner);
  const SequenceOptions complete = CompleteSequenceOptions(options);
  impl_->CommitAll();  // DDL commits, as in Oracle
  impl_->InsertSequence(owner, name, complete);
}

void EmbeddedInstance::DropSequence(const std::string& ownerName, const std::string& name) {
  const std::string owner = impl_->ResolveOwner(ownerName);
  impl_->CommitAll();
  SqliteStatement drop(impl_->catalog,
                       "DELETE FROM sequences WHERE owner = ? AND sequence_name = ?");
  drop.BindText(1, owner);
  drop.BindText(2, name);
  drop.Step();
  if (sqlite3_changes(impl_->catalog.Get()) == 0) Refuse("ORA-02289: sequence does not exist");
  impl_->sequences.erase({owner, name});
}

std::string EmbeddedInstance::NextSequenceValue(const std::string& owner, const std::string& name) {
  return impl_->NextValue(impl_->ResolveOwner(owner), name);
}

std::optional<ScriptTarget::TableRows> EmbeddedInstance::ReadTable(const std::string& ownerName,
                                                                   const std::string& table) {
  const std::string owner = impl_->ResolveOwner(ownerName);
  if (!FindUser(impl_->catalog, owner) || !FindTableColumns(impl_->catalog, owner, table))
    return std::nullopt;
  TableForInsert& entry = impl_->TableFor(owner, table);
  TableRows result{entry.columns, {}};
  SqliteStatement read(impl_->Schema(entry.userId),
                       "SELECT * FROM main." + QuoteSqliteName(table) + " NOT INDEXED");
  while (read.Step()) {
    if (result.rows.size() >= kMaxRowsRead)
      Refuse("the table " + QuoteOracleName(table) + " has more than " +
             std::to_string(kMaxRowsRead) + " rows, the most the embedded instance reads at once");
    std::vector<Variant> row;
    for (std::size_t c = 0; c < entry.columns.size(); ++c)
      row.push_back(
          ReadStoredValue(read, static_cast<int>(c), FamilyOfDataType(entry.columns[c].dataType)));
    result.rows.push_back(std::move(row));
  }
  return result;
}

long EmbeddedInstance::ChangeRows(
    const std::string& ownerName, const std::string& table,
    const std::function<RowChange(const std::vector<Variant>& row)>& decide) {
  const std::string owner = impl_->ResolveOwner(ownerName);
  TableForInsert& entry = impl_->TableFor(owner, table);
  SqliteDatabase& schema = impl_->Schema(entry.userId);
  std::vector<std::pair<long long, RowChange>> changes;
  {
    SqliteStatement read(schema, "SELECT rowid, * FROM main." + QuoteSqliteName(table));
    while (read.Step()) {
      std::vector<Variant> row;
      for (std::size_t c = 0; c < entry.columns.size(); ++c)
        row.push_back(ReadStoredValue(read, static_cast<int>(c + 1),
                                      FamilyOfDataType(entry.columns[c].dataType)));
      RowChange change = decide(row);
      if (change.kind != RowChange::Kind::Keep) {
        if (changes.size() >= kMaxRowsRead)
          Refuse("the statement changes more than " + std::to_string(kMaxRowsRead) +
                 " rows, the most the embedded instance changes at once");
        changes.emplace_back(read.ColumnInt(0), std::move(change));
      }
    }
  }
  impl_->BeginWrite(entry.userId);
  SqliteStatement remove(schema, "DELETE FROM main." + QuoteSqliteName(table) + " WHERE rowid = ?");
  for (auto& [rowid, change] : changes) {
    if (change.kind == RowChange::Kind::Delete) {
      remove.Reset();
      remove.BindInt(1, rowid);
      remove.Step();
      continue;
    }
    std::string assignments;
    std::vector<std::size_t> changed;
    for (std::size_t c = 0; c < change.values.size() && c < entry.columns.size(); ++c) {
      if (!change.values[c]) continue;
      if (entry.columns[c].identity && entry.columns[c].identity->always)
        Refuse("ORA-32796: cannot update a generated always identity column (" +
               entry.qualifiedColumns[c] + ")");
      assignments +=
          (assignments.empty() ? "" : ", ") + QuoteSqliteName(entry.columns[c].name) + " = ?";
      changed.push_back(c);
    }
    if (changed.empty()) continue;
    SqliteStatement update(schema, "UPDATE main." + QuoteSqliteName(table) + " SET " + assignments +
                                       " WHERE rowid = ?");
    int index = 0;
    for (std::size_t c : changed)
      ToStoredValue(*change.values[c], entry.columns[c], entry.qualifiedColumns[c])
          .BindTo(update, ++index);
    update.BindInt(++index, rowid);
    try {
      update.Step();
    } catch (const std::runtime_error& error) {
      if (sqlite3_extended_errcode(schema.Get()) == SQLITE_CONSTRAINT_UNIQUE)
        Refuse("ORA-00001: unique constraint (" +
               impl_->ViolatedKeyName(entry, owner, table, error.what()) + ") violated");
      throw;
    }
  }
  return static_cast<long>(changes.size());
}

void EmbeddedInstance::TruncateTable(const std::string& ownerName, const std::string& table) {
  const std::string owner = impl_->ResolveOwner(ownerName);
  TableForInsert& entry = impl_->TableFor(owner, table);
  impl_->CommitAll();  // DDL commits, as in Oracle
  impl_->Schema(entry.userId).Exec("DELETE FROM main." + QuoteSqliteName(table));
}

void EmbeddedInstance::DropTable(const std::string& ownerName, const std::string& table,
                                 bool cascadeConstraints) {
  const std::string owner = impl_->ResolveOwner(ownerName);
  const UserRecord user = impl_->RequireUser(owner);
  impl_->RequireColumns(owner, table);
  impl_->CommitAll();
  SqliteDatabase& catalog = impl_->catalog;
  // Foreign keys of other tables that refer to this table's keys.
  SqliteStatement referring(catalog,
                            "SELECT r.owner, r.constraint_name FROM constraints r JOIN "
                            "constraints k ON r.r_owner = k.owner AND r.r_constraint_name = "
                            "k.constraint_name WHERE r.constraint_type = 'R' AND k.owner = ? AND "
                            "k.table_name = ? AND NOT (r.owner = ? AND r.table_name = ?)");
  referring.BindText(1, owner);
  referring.BindText(2, table);
  referring.BindText(3, owner);
  referring.BindText(4, table);
  std::vector<std::pair<std::string, std::string>> foreignKeys;
  while (referring.Step())
    foreignKeys.emplace_back(referring.ColumnText(0), referring.ColumnText(1));
  if (!foreignKeys.empty() && !cascadeConstraints)
    Refuse("ORA-02449: unique/primary keys in table referenced by foreign keys");
  InCatalogTransaction(catalog, [&] {
    const auto run = [&](const std::string& sql, const std::vector<std::string>& values) {
      SqliteStatement statement(catalog, sql);
      for (std::size_t i = 0; i < values.size(); ++i)
        statement.BindText(static_cast<int>(i + 1), values[i]);
      statement.Step();
    };
    for (const auto& [keyOwner, name] : foreignKeys)
      DeleteConstraintRecord(catalog, keyOwner, name);
    DeleteTableIndexesAndComments(catalog, owner, table);
    run("DELETE FROM sequences WHERE owner = ? AND sequence_name IN (SELECT sequence_name FROM "
        "identity_columns WHERE owner = ? AND table_name = ?)",
        {owner, owner, table});
    for (const char* catalogTable :
         {"identity_columns", "cons_columns", "constraints", "columns", "tables"})
      run(std::string("DELETE FROM ") + catalogTable + " WHERE owner = ? AND table_name = ?",
          {owner, table});
    impl_->Schema(user.id).Exec("DROP TABLE main." + QuoteSqliteName(table));
  });
  impl_->tables.clear();
  impl_->sequences.clear();
}

void EmbeddedInstance::SetConstraintEnabled(const std::string& ownerName, const std::string& table,
                                            const std::string& constraint, bool enabled,
                                            bool validated) {
  const std::string owner = impl_->ResolveOwner(ownerName);
  impl_->CommitAll();
  SqliteDatabase& catalog = impl_->catalog;
  InCatalogTransaction(catalog, [&] {
    SqliteStatement update(catalog,
                           "UPDATE constraints SET status = ? WHERE owner = ? AND table_name = ? "
                           "AND constraint_name = ?");
    update.BindText(1, enabled ? "ENABLED" : "DISABLED");
    update.BindText(2, owner);
    update.BindText(3, table);
    update.BindText(4, constraint);
    update.Step();
    if (sqlite3_changes(catalog.Get()) == 0)
      Refuse("ORA-02431: cannot " + std::string(enabled ? "enable" : "disable") + " constraint (" +
             constraint + ") - no such constraint");
    SetConstraintValidated(catalog, owner, constraint, validated);
  });
}

void EmbeddedInstance::DropConstraint(const std::string& ownerName, const std::string& table,
                                      const std::string& constraint, bool cascade, bool keepIndex) {
  const std::string owner = impl_->ResolveOwner(ownerName);
  const UserRecord user = impl_->RequireUser(owner);
  impl_->RequireColumns(owner, table);
  impl_->CommitAll();
  SqliteDatabase& catalog = impl_->catalog;
  SqliteStatement find(catalog,
                       "SELECT seq, constraint_type, search_condition FROM constraints WHERE "
                       "owner = ? AND table_name = ? AND constraint_name = ?");
  find.BindText(1, owner);
  find.BindText(2, table);
  find.BindText(3, constraint);
  if (!find.Step()) Refuse("ORA-02443: Cannot drop constraint  - nonexistent constraint");
  const long seq = static_cast<long>(find.ColumnInt(0));
  const std::string type = find.ColumnText(1);
  const std::string condition = find.ColumnText(2);
  const bool key = type == "P" || type == "U";

  std::vector<std::pair<std::string, std::string>> dropped{{owner, constraint}};
  if (key) {
    SqliteStatement referring(catalog,
                              "SELECT owner, constraint_name FROM constraints WHERE "
                              "constraint_type = 'R' AND r_owner = ? AND r_constraint_name = ?");
    referring.BindText(1, owner);
    referring.BindText(2, constraint);
    while (referring.Step()) dropped.emplace_back(referring.ColumnText(0), referring.ColumnText(1));
    if (dropped.size() > 1 && !cascade)
      Refuse("ORA-02273: this unique/primary key is referenced by some foreign keys");
  }
  std::vector<std::string> columns;
  {
    SqliteStatement members(catalog,
                            "SELECT column_name FROM cons_columns WHERE owner = ? AND "
                            "constraint_name = ?");
    members.BindText(1, owner);
    members.BindText(2, constraint);
    while (members.Step()) columns.push_back(members.ColumnText(0));
  }
  const std::string index = key ? IndexOfConstraint(catalog, owner, constraint) : "";
  InCatalogTransaction(catalog, [&] {
    for (const auto& [dropOwner, name] : dropped) DeleteConstraintRecord(catalog, dropOwner, name);
    if (!index.empty() && !keepIndex)
      if (auto record = FindIndex(catalog, owner, index); record && record->madeForConstraint)
        DeleteIndexRecord(catalog, owner, index);
    // A column keeps NOT NULL only while a NOT NULL check or the primary key says so.
    const bool notNullCheck = type == "C" && columns.size() == 1 &&
                              condition == QuoteOracleName(columns[0]) + " IS NOT NULL";
    if (type == "P" || notNullCheck) {
      SqliteStatement nullable(
          catalog,
          "UPDATE columns SET nullable = 'Y' WHERE owner = ?1 AND table_name = ?2 AND "
          "column_name = ?3 AND NOT EXISTS (SELECT 1 FROM constraints c JOIN cons_columns k "
          "ON k.owner = c.owner AND k.constraint_name = c.constraint_name WHERE c.owner = ?1 "
          "AND c.table_name = ?2 AND k.column_name = ?3 AND (c.constraint_type = 'P' OR "
          "c.search_condition = ?4)) AND NOT EXISTS (SELECT 1 FROM identity_columns i WHERE "
          "i.owner = ?1 AND i.table_name = ?2 AND i.column_name = ?3)");
      for (const auto& column : columns) {
        nullable.Reset();
        nullable.BindText(1, owner);
        nullable.BindText(2, table);
        nullable.BindText(3, column);
        nullable.BindText(4, QuoteOracleName(column) + " IS NOT NULL");
        nullable.Step();
      }
    }
    if (key)
      impl_->Schema(user.id).Exec("DROP INDEX IF EXISTS main." +
                                  QuoteSqliteName("skerrow_key_" + std::to_string(seq)));
  });
  impl_->tables.clear();
}

void EmbeddedInstance::CreateIndex(const std::string& ownerName, const std::string& table,
                                   const IndexDefinition& index) {
  const std::string owner = impl_->ResolveOwner(ownerName);
  const UserRecord user = impl_->RequireUser(owner);
  impl_->CommitAll();  // DDL commits, as in Oracle
  const std::vector<ColumnDefinition> columns = impl_->RequireColumns(owner, table);
  SqliteDatabase& catalog = impl_->catalog;
  InCatalogTransaction(catalog,
                       [&] { impl_->CreateIndexRecords(owner, table, index, columns, user.id); });
  impl_->tables.clear();
}

void EmbeddedInstance::DropIndex(const std::string& ownerName, const std::string& name) {
  const std::string owner = impl_->ResolveOwner(ownerName);
  impl_->CommitAll();
  SqliteDatabase& catalog = impl_->catalog;
  const std::optional<IndexRecord> index = FindIndex(catalog, owner, name);
  if (!index) Refuse("ORA-01418: specified index does not exist");
  if (ConstraintUsingIndex(catalog, owner, name))
    Refuse("ORA-02429: cannot drop index used for enforcement of unique/primary key");
  const UserRecord tableOwner = impl_->RequireUser(index->tableOwner);
  InCatalogTransaction(catalog, [&] {
    DeleteIndexRecord(catalog, owner, name);
    impl_->Schema(tableOwner.id)
        .Exec("DROP INDEX IF EXISTS main." + QuoteSqliteName(EnforcingIndexName(*index)));
  });
  impl_->tables.clear();
}

void EmbeddedInstance::SetComment(const std::string& ownerName, const std::string& table,
                                  const std::string& column,
                                  const std::optional<std::string>& text) {
  const std::string owner = impl_->ResolveOwner(ownerName);
  impl_->CommitAll();  // COMMENT is DDL
  const std::vector<ColumnDefinition> columns = impl_->RequireColumns(owner, table);
  if (!column.empty() && std::none_of(columns.begin(), columns.end(),
                                      [&](const ColumnDefinition& c) { return c.name == column; }))
    Refuse("ORA-00904: " + QuoteOracleName(column) + ": invalid identifier");
  SetCommentRecord(impl_->catalog, owner, table, column, text.value_or(""));
}

}  // namespace skerrow::oracle
