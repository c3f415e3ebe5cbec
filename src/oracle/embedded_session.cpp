#include <new>
#include <stdexcept>

#include "oracle/catalog_store.h"
#include "oracle/dictionary_views.h"
#include "oracle/embedded_instance.h"
#include "oracle/embedded_provider.h"
#include "oracle/large_stack.h"
#include "oracle/oracle_error.h"
#include "oracle/oracle_names.h"
#include "oracle/query_result.h"
#include "oracle/row_query.h"
#include "oracle/sql_cursor.h"
#include "oracle/sql_lexer.h"
#include "oracle/sql_select.h"
#include "oracle/stored_value.h"
#include "oracle/user_message.h"
#include "text/ascii.h"

namespace skerrow::oracle {

namespace {

[[noreturn]] void Fail(const std::string& message) {
  throw std::runtime_error(message);
}

// A file name as an SQLite URI, so that the schema can be attached read-only.
std::string ReadOnlyUri(const std::filesystem::path& file) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string uri = "file:";
  for (unsigned char c : file.string()) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                       c == '/' || c == '-' || c == '_' || c == '.' || c == '~';
    if (plain) {
      uri += static_cast<char>(c);
    } else {
      uri += '%';
      uri += kHex[c >> 4];
      uri += kHex[c & 0x0F];
    }
  }
  return uri + "?mode=ro";
}

class EmbeddedSession : public SourceBackend {
 public:
  EmbeddedSession(std::filesystem::path directory, UserRecord user)
      : directory_(std::move(directory)),
        user_(std::move(user)),
        catalog_(directory_ / kCatalogFileName, true, false) {
    CreateDictionaryViews(catalog_, user_.name);
    sqlite3_set_authorizer(catalog_.Get(), &EmbeddedSession::Authorize, this);
  }

  void Execute(const std::string& sql) override {
    try {
      const std::vector<Token> tokens = Tokenize(sql);
      if (!tokens.front().IsWord("SELECT") && !tokens.front().IsWord("WITH"))
        Fail("ORA-00900: invalid SQL statement");
      std::unique_ptr<QueryResult> next;
      if (NamesDictionaryView(tokens)) {
        next = RunDictionaryQuery(sql, tokens);
      } else {
        // The converter's own row queries read straight from storage, as fetched; any other
        // SELECT (counts, WHERE, ORDER BY, joins, DUAL) is evaluated by the stand-in.
        std::optional<RowQuery> rowQuery;
        try {
          rowQuery = ParseRowQuery(tokens);
        } catch (const std::runtime_error&) {
        }
        if (rowQuery && !rowQuery->owner && rowQuery->table == "DUAL" &&
            !FindTableColumns(catalog_, user_.name, "DUAL"))
          rowQuery.reset();
        next = rowQuery ? RunRowQuery(*rowQuery) : RunOrdinaryQuery(tokens);
      }
      result_ = std::move(next);  // only a successful statement replaces the current result
    } catch (const std::exception& error) {
      ThrowAsSourceError(error);
    }
  }

  RowArray GetRows(long maxRows) override {
    if (!result_)
      throw SourceError(std::string(kEmbeddedSourceName), kCodeInvalidPointer, std::nullopt);
    if (result_->EndOfRows())
      throw SourceError(std::string(kEmbeddedSourceName), kCodeNoCurrentRecord,
                        "Either BOF or EOF is True, or the current record has been deleted. "
                        "Requested operation requires a current record.");
    try {
      if (!result_->Computed()) return result_->Fetch(maxRows);
      // Computing rows evaluates the query's expressions, which may nest to their limit.
      RowArray rows(0);
      RunWithLargeStack([&] { rows = result_->Fetch(maxRows); });
      return rows;
    } catch (const std::exception& error) {
      ThrowAsSourceError(error);
    }
  }

  bool EndOfRows() override { return !result_ || result_->EndOfRows(); }

  // A failure as the provider reports it: Oracle's message for an error of the statement (SQLite's
  // own words for a dictionary query's SQL become Oracle's), the user's words for anything else.
  [[noreturn]] static void ThrowAsSourceError(const std::exception& error) {
    if (dynamic_cast<const std::bad_alloc*>(&error))
      throw SourceError(std::string(kEmbeddedSourceName), kCodeOutOfMemory, std::nullopt);
    if (const auto* storage = dynamic_cast<const SqliteError*>(&error);
        storage && ((storage->Code() & 0xFF) == SQLITE_ERROR || storage->Code() == SQLITE_AUTH))
      throw OracleError(OracleMessageForSqlite(error.what()));
    throw OracleError(UserMessageOf(error).text);
  }

  int FieldCount() override {
    if (!result_)
      throw SourceError(std::string(kEmbeddedSourceName), kCodeInvalidPointer, std::nullopt);
    return result_->FieldCount();
  }

 private:
  // Statements of the session see only what an Oracle session would: tables only through the
  // dictionary views (not the catalog's own tables, not SQLite's sqlite_master in main or temp),
  // functions only those Oracle has under the same name and meaning; nothing may be changed.
  // The views' own workings and the session's own lookups are not restricted.
  static int Authorize(void* self, int action, const char* table, const char* detail,
                       const char* database, const char* view) {
    if (!static_cast<EmbeddedSession*>(self)->restricted_) return SQLITE_OK;
    switch (action) {
      case SQLITE_SELECT:
      case SQLITE_RECURSIVE:
        return SQLITE_OK;
      case SQLITE_READ:
        return MayRead(table, detail, database, view) ? SQLITE_OK : SQLITE_DENY;
      case SQLITE_FUNCTION:
        return view != nullptr || IsOracleFunction(detail) ? SQLITE_OK : SQLITE_DENY;
      default:
        return SQLITE_DENY;
    }
  }

  // A column of a dictionary view itself, or a column of the catalog a dictionary view reads
  // for it. (A WITH clause may name a query like a view: it reads nothing the views do not,
  // and never a password.)
  static bool MayRead(const char* table, const char* column, const char* database,
                      const char* view) {
    if (table == nullptr) return false;
    const std::string_view name(table);
    if (database != nullptr && std::string_view(database) == "temp" && IsDictionaryViewName(name))
      return true;
    if (view == nullptr || !IsDictionaryViewName(view)) return false;
    if (name == "users") return column == nullptr || std::string_view(column) != "password";
    static constexpr std::string_view kViewSources[] = {
        "tables",    "columns", "identity_columns", "constraints",        "cons_columns",
        "sequences", "indexes", "ind_columns",      "constraint_details", "comments"};
    for (std::string_view source : kViewSources)
      if (name == source) return true;
    return false;
  }

  // SQLite's functions that Oracle has too, with the same meaning.
  static bool IsOracleFunction(const char* name) {
    if (name == nullptr) return false;
    static constexpr std::string_view kShared[] = {
        "abs", "avg",    "coalesce", "count", "instr", "length", "like", "lower", "ltrim", "max",
        "min", "nullif", "replace",  "round", "rtrim", "substr", "sum",  "trim",  "upper"};
    const std::string lower = text::ToLowerAscii(name);
    for (std::string_view shared : kShared)
      if (lower == shared) return true;
    return false;
  }

  std::unique_ptr<QueryResult> RunDictionaryQuery(const std::string& sql,
                                                  const std::vector<Token>& tokens) {
    for (const auto& token : tokens)
      if (token.IsSymbol(";")) Fail("ORA-00911: invalid character");
    SqliteStatement statement;
    restricted_ = true;
    try {
      statement = SqliteStatement(catalog_, sql);
    } catch (...) {
      restricted_ = false;
      throw;
    }
    restricted_ = false;
    const int count = sqlite3_column_count(statement.Get());
    if (count == 0) Fail("ORA-00900: invalid SQL statement");
    std::vector<ResultField> fields(static_cast<std::size_t>(count));
    return std::make_unique<QueryResult>(nullptr, std::move(statement), std::move(fields));
  }

  // Reads whole tables of the instance for an ordinary query, each through a read-only
  // connection of its own.
  class SessionTables : public TableProvider {
   public:
    SessionTables(const EmbeddedSession& session) : session_(session) {}
    std::optional<ScriptTarget::TableRows> Table(const std::string& owner,
                                                 const std::string& table) override {
      const std::string schema = owner.empty() ? session_.user_.name : owner;
      const auto user = FindUser(session_.catalog_, schema);
      auto columns = user ? FindTableColumns(session_.catalog_, schema, table) : std::nullopt;
      if (!columns) return std::nullopt;
      SqliteDatabase data(":memory:", false, true);
      SqliteStatement attach(data, "ATTACH DATABASE ? AS " + QuoteSqliteName(schema));
      attach.BindText(1, ReadOnlyUri(SchemaFile(session_.directory_, user->id)));
      attach.Step();
      ScriptTarget::TableRows rows{*columns, {}};
      SqliteStatement read(data, "SELECT * FROM " + QuoteSqliteName(schema) + "." +
                                     QuoteSqliteName(table) + " NOT INDEXED");
      while (read.Step()) {
        if (rows.rows.size() >= kMaxQueryRows)
          Fail("the table " + QuoteOracleName(table) + " has more than " +
               std::to_string(kMaxQueryRows) + " rows, the most one query reads");
        std::vector<Variant> row;
        for (std::size_t c = 0; c < columns->size(); ++c)
          row.push_back(
              ReadStoredValue(read, static_cast<int>(c), FamilyOfDataType((*columns)[c].dataType)));
        rows.rows.push_back(std::move(row));
      }
      return rows;
    }

   private:
    const EmbeddedSession& session_;
  };

  // An ordinary query: its text, the tables it reads and its rows, made as they are fetched.
  class OrdinaryRows : public ComputedRows {
   public:
    OrdinaryRows(const EmbeddedSession& session, std::vector<Token> tokens)
        : tokens_(std::move(tokens)), cursor_(tokens_), tables_(session) {
      if (!cursor_.Peek().IsWord("SELECT")) Fail("ORA-00900: invalid SQL statement");
      context_.currentUser = session.user_.name;
      context_.userId = session.user_.id;
      select_ = StartSelect(cursor_, tables_, context_);
      if (cursor_.Peek().IsSymbol(";")) Fail("ORA-00911: invalid character");
      if (!cursor_.AtEnd()) Fail("ORA-00933: SQL command not properly ended");
    }

    std::optional<std::vector<Variant>> Next() override {
      auto row = select_->Next();
      if (!row) return std::nullopt;
      std::vector<Variant> values;
      values.reserve(row->size());
      for (const auto& value : *row) values.push_back(ToDeliveredValue(value));
      return values;
    }

   private:
    std::vector<Token> tokens_;
    TokenCursor cursor_;
    SessionTables tables_;
    ExpressionContext context_;
    std::unique_ptr<SelectRows> select_;
  };

  std::unique_ptr<QueryResult> RunOrdinaryQuery(const std::vector<Token>& tokens) {
    std::unique_ptr<QueryResult> result;
    RunWithLargeStack([&] {
      result = std::make_unique<QueryResult>(std::make_unique<OrdinaryRows>(*this, tokens));
    });
    return result;
  }

  std::unique_ptr<QueryResult> RunRowQuery(const RowQuery& query) {
    const std::string owner = query.owner.value_or(user_.name);
    const auto ownerRecord = FindUser(catalog_, owner);
    const auto columns =
        ownerRecord ? FindTableColumns(catalog_, owner, query.table) : std::nullopt;
    if (!columns) Fail("ORA-00942: table or view does not exist");

    const auto qualifierMatches = [&](const std::vector<std::string>& path) {
      const std::size_t qualifiers = path.size() - 1;
      if (qualifiers == 0) return true;
      if (query.alias) return qualifiers == 1 && path[0] == *query.alias;
      if (qualifiers == 1) return path[0] == query.table;
      return qualifiers == 2 && path[0] == owner && path[1] == query.table;
    };

    std::string selectList;
    std::vector<ResultField> fields;
    const auto add = [&](const ColumnDefinition& column, ResultField::Reading reading) {
      selectList += (selectList.empty() ? "" : ", ") + QuoteSqliteName(column.name);
      fields.push_back({reading, FamilyOfDataType(column.dataType)});
    };
    for (const auto& item : query.items) {
      if (item.form == SelectItem::Form::AllColumns) {
        for (const auto& column : *columns) add(column, ResultField::Reading::Stored);
        continue;
      }
      const ColumnDefinition* found = nullptr;
      if (qualifierMatches(item.path))
        for (const auto& column : *columns)
          if (column.name == item.path.back()) found = &column;
      if (!found) Fail("ORA-00904: " + WrittenPath(item.path) + ": invalid identifier");
      switch (item.form) {
        case SelectItem::Form::CastToRaw:
          add(*found, ResultField::Reading::CastToRaw);
          break;
        case SelectItem::Form::CastToVarchar2:
          add(*found, ResultField::Reading::CastToVarchar2);
          break;
        case SelectItem::Form::GetUrl:
          if (FamilyOfDataType(found->dataType) != TypeFamily::Uri)
            Fail("ORA-22806: not an object or REF");
          add(*found, ResultField::Reading::Url);
          break;
        default:
          add(*found, ResultField::Reading::Stored);
          break;
      }
    }

    // Each result reads through its own connection, so a new statement never disturbs the
    // previous result, and only the one schema it needs is attached.
    auto data = std::make_unique<SqliteDatabase>(":memory:", false, true);
    SqliteStatement attach(*data, "ATTACH DATABASE ? AS " + QuoteSqliteName(owner));
    attach.BindText(1, ReadOnlyUri(SchemaFile(directory_, ownerRecord->id)));
    attach.Step();
    // NOT INDEXED: rows come in the order they were stored, like a full table scan, whichever
    // columns are selected (a key-only select list would otherwise follow the key's index).
    SqliteStatement statement(*data, "SELECT " + selectList + " FROM " + QuoteSqliteName(owner) +
                                         "." + QuoteSqliteName(query.table) + " NOT INDEXED");
    return std::make_unique<QueryResult>(std::move(data), std::move(statement), std::move(fields));
  }

  std::filesystem::path directory_;
  UserRecord user_;
  SqliteDatabase catalog_;
  bool restricted_ = false;
  std::unique_ptr<QueryResult> result_;  // declared after catalog_: released before it
};

}  // namespace

bool IsEmbeddedInstance(const std::string& dataSource) {
  return FindInstanceDirectory(dataSource).has_value();
}

std::unique_ptr<SourceBackend> OpenEmbeddedSession(const std::string& dataSource,
                                                   const std::string& user,
                                                   const std::string& password) {
  const auto directory = FindInstanceDirectory(dataSource);
  if (!directory)
    throw OracleError("ORA-12154: TNS:could not resolve the connect identifier specified");
  return OpenEmbeddedSessionAt(*directory, user, password);
}

std::unique_ptr<SourceBackend> OpenEmbeddedSessionAt(const std::filesystem::path& directory,
                                                     const std::string& user,
                                                     const std::string& password) {
  try {
    SqliteDatabase catalog(directory / kCatalogFileName, true, false);
    const auto record = FindUser(catalog, StoredNameOf(user));
    if (!record || password.empty() || record->password != password)
      throw OracleError("ORA-01017: invalid username/password; logon denied");
    return std::make_unique<EmbeddedSession>(directory, *record);
  } catch (const std::runtime_error& error) {
    throw OracleError("ORA-01034: ORACLE not available (" + UserMessageOf(error).text + ")");
  }
}

}  // namespace skerrow::oracle
