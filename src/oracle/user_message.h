#pragma once

#include <exception>
#include <string>

namespace skerrow::oracle {

// What a failure says to the person loading a script or running a query. The stand-in's own
// messages (Oracle's ORA- texts, its own sentences, a source connection's error) pass unchanged;
// what comes from below it is put in words a user can act on: SQLite's refusals by their cause (the
// instance in use by another program, a full disk, files that cannot be written or are damaged), a
// lack of memory, a file system error with its path, and a fault of the stand-in itself
// (std::logic_error and the like), whose text would mean nothing to a user.
struct UserMessage {
  std::string text;
  bool translated = false;  // not the stand-in's own words: the caller names the statement too
};
UserMessage UserMessageOf(const std::exception& error);

}  // namespace skerrow::oracle
