#pragma once

#include <cstddef>
#include <functional>
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
};

}  // namespace skerrow
