#pragma once

#include <string>

#include "workflow/conversion_state.h"
#include "workflow/wizard_window.h"

namespace skerrow {

// Copies every row of `sourceTable` into `targetTable` (the name it was created under) and
// fills the row figures of `report`. Failures of the query and the fetch are handled inside.
void CopyTableRows(ConversionState& state, WizardWindow& window, const std::string& sourceTable,
                   const std::string& targetTable, TableReport& report);

}  // namespace skerrow
