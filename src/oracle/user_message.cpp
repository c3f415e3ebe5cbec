#include "oracle/user_message.h"

#include <sqlite3.h>

#include <filesystem>
#include <new>
#include <stdexcept>
#include <system_error>

#include "db/source_error.h"
#include "oracle/sqlite_handle.h"

namespace skerrow::oracle {

namespace {

std::string StorageMessage(const SqliteError& error) {
  switch (error.Code() & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return "the instance is in use by another program; try again when it is done";
    case SQLITE_FULL:
      return "the disk that holds the instance is full";
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_CANTOPEN:
    case SQLITE_AUTH:
      return "the instance's files cannot be written or opened (check their permissions)";
    case SQLITE_IOERR:
      return "reading or writing the instance's files failed (a disk or file system error)";
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      return "the instance's files are damaged; drop the instance and load its scripts again";
    case SQLITE_NOMEM:
      return "there is not enough memory for this statement";
    case SQLITE_TOOBIG:
      return "a value is too large for the instance's storage";
    default:
      return std::string("the instance's storage refused the statement (") + error.what() + ")";
  }
}

}  // namespace

UserMessage UserMessageOf(const std::exception& error) {
  // A source connection's error already carries the database's own message and its code.
  if (dynamic_cast<const SourceError*>(&error)) return {error.what(), false};
  if (const auto* storage = dynamic_cast<const SqliteError*>(&error))
    return {StorageMessage(*storage), true};
  if (dynamic_cast<const std::bad_alloc*>(&error))
    return {"there is not enough memory for this statement", true};
  if (const auto* file = dynamic_cast<const std::filesystem::filesystem_error*>(&error))
    return {"cannot use " + file->path1().string() + ": " + file->code().message(), true};
  if (const auto* system = dynamic_cast<const std::system_error*>(&error))
    return {"the system refused: " + system->code().message(), true};
  if (dynamic_cast<const std::logic_error*>(&error) ||
      !dynamic_cast<const std::runtime_error*>(&error))
    return {"the embedded instance could not run this statement (an internal fault)", true};
  return {error.what(), false};
}

}  // namespace skerrow::oracle
