#include "oracle/sqlite_handle.h"

#include <stdexcept>

#include "text/ascii.h"

namespace skerrow::oracle {

SqliteDatabase::SqliteDatabase(const std::filesystem::path& file, bool readOnly, bool create) {
  int flags = readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
  if (create) flags |= SQLITE_OPEN_CREATE;
  flags |= SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI;
  sqlite3* raw = nullptr;
  const int rc = sqlite3_open_v2(file.c_str(), &raw, flags, nullptr);
  db_.reset(raw);
  if (rc != SQLITE_OK) {
    const std::string reason = raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc);
    throw SqliteError(rc, "cannot open " + file.string() + ": " + reason);
  }
  sqlite3_extended_result_codes(raw, 1);
  sqlite3_db_config(raw, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
  sqlite3_db_config(raw, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
  sqlite3_busy_timeout(raw, 5000);
  Exec("PRAGMA case_sensitive_like = ON");
}

void SqliteDatabase::Exec(const std::string& sql) const {
  char* message = nullptr;
  if (const int rc = sqlite3_exec(db_.get(), sql.c_str(), nullptr, nullptr, &message);
      rc != SQLITE_OK) {
    std::string reason = message ? message : sqlite3_errmsg(db_.get());
    sqlite3_free(message);
    throw SqliteError(sqlite3_extended_errcode(db_.get()), reason);
  }
}

SqliteStatement::SqliteStatement(const SqliteDatabase& db, std::string_view sql) : db_(db.Get()) {
  sqlite3_stmt* raw = nullptr;
  const int rc = sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &raw, nullptr);
  statement_.reset(raw);
  if (rc != SQLITE_OK) throw SqliteError(sqlite3_extended_errcode(db_), sqlite3_errmsg(db_));
  if (!raw) throw SqliteError(SQLITE_MISUSE, "empty statement");
}

void SqliteStatement::BindText(int index, std::string_view text) {
  sqlite3_bind_text64(statement_.get(), index, text.data(), text.size(), SQLITE_TRANSIENT,
                      SQLITE_UTF8);
}

void SqliteStatement::BindBlob(int index, std::string_view bytes) {
  // A zero-length blob must stay a blob, not become NULL: bind it with a non-null pointer.
  static const char kNothing = 0;
  sqlite3_bind_blob64(statement_.get(), index, bytes.empty() ? &kNothing : bytes.data(),
                      bytes.size(), SQLITE_TRANSIENT);
}

void SqliteStatement::BindDouble(int index, double value) {
  sqlite3_bind_double(statement_.get(), index, value);
}

void SqliteStatement::BindInt(int index, long long value) {
  sqlite3_bind_int64(statement_.get(), index, value);
}

void SqliteStatement::BindNull(int index) {
  sqlite3_bind_null(statement_.get(), index);
}

bool SqliteStatement::Step() {
  const int rc = sqlite3_step(statement_.get());
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  throw SqliteError(sqlite3_extended_errcode(db_), sqlite3_errmsg(db_));
}

void SqliteStatement::Reset() {
  sqlite3_reset(statement_.get());
  sqlite3_clear_bindings(statement_.get());
}

std::string SqliteStatement::ColumnText(int index) const {
  const auto* text = sqlite3_column_text(statement_.get(), index);
  const int size = sqlite3_column_bytes(statement_.get(), index);
  return text ? std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(size))
              : std::string();
}

std::string SqliteStatement::ColumnBlob(int index) const {
  const void* data = sqlite3_column_blob(statement_.get(), index);
  const int size = sqlite3_column_bytes(statement_.get(), index);
  return data ? std::string(static_cast<const char*>(data), static_cast<std::size_t>(size))
              : std::string();
}

std::string QuoteSqliteName(std::string_view name) {
  return text::QuoteDoubling(name, '"');
}
std::string QuoteSqliteText(std::string_view text) {
  return text::QuoteDoubling(text, '\'');
}

}  // namespace skerrow::oracle
