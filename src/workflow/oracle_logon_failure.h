#pragma once

#include "db/source_error.h"
#include "workflow/wizard_window.h"

namespace skerrow {

// Tells the operator why the Oracle logon of the Next command failed, empties and focuses the
// fields to retype, and enables Next again. A missing Oracle client library is named as such;
// every other failure is told apart by the keywords of its formatted text (service name,
// user name and password, or neither).
void ReportOracleLogonFailure(WizardWindow& window, const SourceError& error);

}  // namespace skerrow
