#pragma once

#include "workflow/conversion_state.h"
#include "workflow/wizard_window.h"

namespace skerrow {

// The Next command: checks the six fields, opens both connections, lists the user's tables
// and shows the selection page. Runs on the window's thread; refused while a run is in
// progress.
void ConnectAndListTables(ConversionState& state, WizardWindow& window);

}  // namespace skerrow
