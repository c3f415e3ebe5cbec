#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "workflow/conversion_state.h"
#include "workflow/wizard_window.h"

namespace skerrow {

struct RowCopyOptions {
  // Rows fetched from the source at a time: the rows held in memory never exceed it.
  long fetchRows = 10000;
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
