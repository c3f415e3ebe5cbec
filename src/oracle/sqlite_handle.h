#pragma once

#include <sqlite3.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace skerrow::oracle {

// What SQLite refused, with its result code (SQLITE_BUSY, SQLITE_FULL, ...) for those who must
// say it in the user's words (see UserMessageOf).
class SqliteError : public std::runtime_error {
 public:
  SqliteError(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
  int Code() const { return code_; }

 private:
  int code_;
};

struct SqliteCloser {
  void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct SqliteFinalizer {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};

// An open SQLite connection with the settings every part of the stand-in relies on: no
// double-quoted string literals (a double-quoted name is always a name, as in Oracle) and
// case-sensitive LIKE.
class SqliteDatabase {
 public:
  // Throws SqliteError naming the file and SQLite's reason.
  SqliteDatabase(const std::filesystem::path& file, bool readOnly, bool create);

  sqlite3* Get() const { return db_.get(); }
  // Runs statements without results; throws SqliteError with SQLite's message.
  void Exec(const std::string& sql) const;
  std::string LastError() const { return sqlite3_errmsg(db_.get()); }

 private:
  std::unique_ptr<sqlite3, SqliteCloser> db_;
};

// One prepared statement; finalized when it goes out of scope.
class SqliteStatement {
 public:
  SqliteStatement() = default;
  // Throws SqliteError with SQLite's message when the text does not prepare.
  SqliteStatement(const SqliteDatabase& db, std::string_view sql);

  sqlite3_stmt* Get() const { return statement_.get(); }
  explicit operator bool() const { return statement_ != nullptr; }

  void BindText(int index, std::string_view text);
  void BindBlob(int index, std::string_view bytes);
  void BindDouble(int index, double value);
  void BindInt(int index, long long value);
  void BindNull(int index);

  // Steps once: true for a row, false when done; throws SqliteError on failure.
  bool Step();
  void Reset();

  // Column access of the current row.
  std::string ColumnText(int index) const;
  std::string ColumnBlob(int index) const;
  long long ColumnInt(int index) const { return sqlite3_column_int64(statement_.get(), index); }
  bool ColumnIsNull(int index) const {
    return sqlite3_column_type(statement_.get(), index) == SQLITE_NULL;
  }

 private:
  sqlite3* db_ = nullptr;
  std::unique_ptr<sqlite3_stmt, SqliteFinalizer> statement_;
};

// A SQLite identifier in double quotes, inner quotes doubled.
std::string QuoteSqliteName(std::string_view name);
// A SQLite text literal in single quotes, inner quotes doubled.
std::string QuoteSqliteText(std::string_view text);

}  // namespace skerrow::oracle
