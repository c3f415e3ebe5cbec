#pragma once

#include <string>
#include <vector>

#include "workflow/conversion_state.h"
#include "workflow/wizard_window.h"

namespace skerrow {

// The names of the checked entries, read once: a run works on the tables it counted, in list
// order, whatever happens to the list while it runs.
std::vector<std::string> CheckedTables(const ConversionState& state, WizardWindow& window);

}  // namespace skerrow
