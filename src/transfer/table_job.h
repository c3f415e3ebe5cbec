#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "db/source_connection.h"
#include "db/target_connection.h"
#include "transfer/row_copy_window.h"

namespace skerrow {

// How the rows of a table are sent to the server.
enum class RowWriteMode {
  // Many rows per INSERT, the next statement built while the server stores the last one.
  Batched,
  // One INSERT per row, each waited for before the next row is built.
  OneStatementPerRow,
};

struct RowCopyOptions {
  RowWriteMode writeMode = RowWriteMode::Batched;
  // Rows fetched from the source at a time: the rows held in memory never exceed it.
  long fetchRows = 10000;
  // The largest multi-row INSERT in bytes (the server's max_allowed_packet lowers it further).
  std::size_t maxStatementBytes = 256 * 1024;
  // The most rows in one multi-row INSERT (0: as many as fit).
  std::size_t maxStatementRows = 0;
  // Told the size of every block of rows fetched from the source.
  std::function<void(std::size_t rows)> onRowsFetched;
  // Asked before each further block is fetched; a reason ends the table there, with the rows
  // before it written (the tables of a parallel run end when one of them lost the server).
  std::function<std::optional<std::string>()> stopReason;
};

// The tables of a parallel run settle their MySQL names one at a time, in the order they
// started, so that a name one of them takes is seen taken by the next (and renamed, as alone).
class CreationTurn {
 public:
  virtual ~CreationTurn() = default;
  // Returns when it is this table's turn to create its MySQL table.
  virtual void Take() = 0;
  // The table's name is settled (created or refused); the next table may go. Once is enough.
  virtual void Release() = 0;
};

// Takes the turn, when there is one, for as long as it lives or until Release.
class CreationTurnGuard {
 public:
  explicit CreationTurnGuard(CreationTurn* turn) : turn_(turn) {
    if (turn_) turn_->Take();
  }
  ~CreationTurnGuard() { Release(); }
  CreationTurnGuard(const CreationTurnGuard&) = delete;
  CreationTurnGuard& operator=(const CreationTurnGuard&) = delete;
  void Release() {
    if (turn_) turn_->Release();
    turn_ = nullptr;
  }

 private:
  CreationTurn* turn_;
};

// What the conversion of one table works with besides its column lists and its report, handed
// in by the run that converts it: the two connections, where the rows come from and go to, how
// they are sent, and the window to tell.
struct TableJob {
  SourceConnection& source;
  TargetConnection& target;
  // The schema that owns the source table (the user name as Oracle stores it).
  std::string owner;
  // The destination database, trimmed.
  std::string database;
  RowCopyOptions options;
  RowCopyWindow& window;
  // Held around the table's CREATE TABLE and its renames; none when the table is alone.
  CreationTurn* creationTurn = nullptr;
};

}  // namespace skerrow
