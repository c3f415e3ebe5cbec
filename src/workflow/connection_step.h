#pragma once

#include <string>

#include "workflow/conversion_state.h"
#include "workflow/wizard_window.h"

namespace skerrow {

// The connection string the source is opened with.
std::string SourceConnectionString(const std::string& serviceName, const std::string& user,
                                   const std::string& password);

// The Next command: checks the six fields, opens both connections, lists the user's tables
// and shows the selection page. Runs on the window's thread; refused while a run is in
// progress.
void ConnectAndListTables(ConversionState& state, WizardWindow& window);

}  // namespace skerrow
