// What a failure from under the stand-in says to its user.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <filesystem>
#include <new>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "oracle/sql_error.h"
#include "oracle/sqlite_handle.h"
#include "oracle/user_message.h"

namespace skerrow::oracle {
namespace {

TEST(OracleUserMessages, PutWhatComesFromBelowInTheUsersWords) {
  struct Case {
    std::exception_ptr error;
    std::string says;
    bool translated;
  };
  const std::vector<Case> cases = {
      {std::make_exception_ptr(StatementError(3, "ORA-00942: table or view does not exist")),
       "ORA-00942: table or view does not exist", false},
      {std::make_exception_ptr(std::runtime_error("ORA-01476: divisor is equal to zero")),
       "ORA-01476: divisor is equal to zero", false},
      {std::make_exception_ptr(SqliteError(SQLITE_BUSY, "database is locked")),
       "the instance is in use by another program; try again when it is done", true},
      {std::make_exception_ptr(SqliteError(SQLITE_FULL, "database or disk is full")),
       "the disk that holds the instance is full", true},
      {std::make_exception_ptr(
           SqliteError(SQLITE_READONLY, "attempt to write a readonly database")),
       "the instance's files cannot be written or opened (check their permissions)", true},
      {std::make_exception_ptr(SqliteError(SQLITE_IOERR_WRITE, "disk I/O error")),
       "reading or writing the instance's files failed (a disk or file system error)", true},
      {std::make_exception_ptr(SqliteError(SQLITE_NOTADB, "file is not a database")),
       "the instance's files are damaged; drop the instance and load its scripts again", true},
      {std::make_exception_ptr(std::bad_alloc()), "there is not enough memory for this statement",
       true},
      {std::make_exception_ptr(std::out_of_range("basic_string::substr: __pos")),
       "the embedded instance could not run this statement (an internal fault)", true},
      {std::make_exception_ptr(std::invalid_argument("stoull")),
       "the embedded instance could not run this statement (an internal fault)", true},
      {std::make_exception_ptr(std::filesystem::filesystem_error(
           "cannot create directories", std::filesystem::path("/nope/x"),
           std::make_error_code(std::errc::permission_denied))),
       "cannot use /nope/x: Permission denied", true},
  };
  for (const Case& c : cases) {
    try {
      std::rethrow_exception(c.error);
    } catch (const std::exception& error) {
      const UserMessage message = UserMessageOf(error);
      EXPECT_EQ(message.text, c.says) << error.what();
      EXPECT_EQ(message.translated, c.translated) << error.what();
    }
  }
}

}  // namespace
}  // namespace skerrow::oracle
