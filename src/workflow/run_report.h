#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace skerrow {

// What happened to one checked table.
struct TableReport {
  static constexpr std::size_t kMaxRefusalMessages = 10;

  std::string sourceName;
  // The name the target table was created under; absent when it was not created.
  std::optional<std::string> createdName;
  // Why it was not created (the server's or the source's message).
  std::string createError;
  bool keyClauseAdded = false;

  std::int64_t rowsRead = 0;
  std::int64_t rowsWritten = 0;
  std::int64_t rowsRefused = 0;
  // The server's messages for the first refused rows.
  std::vector<std::string> refusalMessages;
  // Why the rest of the table was not copied; absent when every row read was handled.
  std::optional<std::string> abandoned;
  // The server connection was lost during this table: nothing more can be sent in this run.
  bool connectionLost = false;

  bool Succeeded() const {
    return createdName && rowsRefused == 0 && !abandoned && createError.empty();
  }
};

// The report of one conversion run, kept by the run for the front ends.
struct RunReport {
  std::string destinationDatabase;
  std::chrono::system_clock::time_point start{};
  std::chrono::system_clock::time_point end{};
  std::vector<TableReport> tables;
  // A failure that ended the whole run early (a failed drop or create of the database, a lost
  // server connection); empty when the run went through its tables.
  std::string runError;
  bool stopped = false;

  bool Succeeded() const;
  std::int64_t TotalRowsRead() const;
  std::int64_t TotalRowsWritten() const;
  std::int64_t TotalRowsRefused() const;
};

}  // namespace skerrow
