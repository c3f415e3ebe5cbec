#pragma once

#include "workflow/conversion_state.h"
#include "workflow/wizard_window.h"

namespace skerrow {

// The Convert command's work, on the worker thread: prepares the destination database and
// converts every checked table, then restores the page and reports completion.
void RunConversion(ConversionState& state, WizardWindow& window);

// Starts RunConversion on a new worker thread stored as state.WorkerThread (a finished
// previous worker is joined first); returns at once. False when a run is already in progress.
bool StartConversion(ConversionState& state, WizardWindow& window);

// Waits for the worker of the last StartConversion, if any (tests, and front ends that end
// in order).
void WaitForConversion(ConversionState& state);

// The Stop command.
inline void RequestStop(ConversionState& state) {
  state.StopRequested = true;
}

}  // namespace skerrow
