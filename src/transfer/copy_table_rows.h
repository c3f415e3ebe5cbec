#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "workflow/conversion_state.h"
#include "workflow/wizard_window.h"

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

// Copies every row of `sourceTable` into `targetTable` (the name it was created under) and
// fills the row figures of `report`. Failures of the query and the fetch are handled inside.
void CopyTableRows(ConversionState& state, WizardWindow& window, const std::string& sourceTable,
                   const std::string& targetTable, TableReport& report);

void CopyTableRows(ConversionState& state, WizardWindow& window, const std::string& sourceTable,
                   const std::string& targetTable, TableReport& report,
                   const RowCopyOptions& options);

}  // namespace skerrow
