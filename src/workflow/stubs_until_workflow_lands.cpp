// Placeholders so front ends link before the workflow is written; replaced by the real steps.
#include "workflow/connection_step.h"
#include "workflow/conversion_run.h"

namespace skerrow {

void ConnectAndListTables(ConversionState&, WizardWindow&) {}
void RunConversion(ConversionState&, WizardWindow&) {}
bool StartConversion(ConversionState&, WizardWindow&) { return false; }

}  // namespace skerrow
