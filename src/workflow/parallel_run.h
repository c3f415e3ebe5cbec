#pragma once

#include <string>
#include <vector>

#include "workflow/conversion_state.h"
#include "workflow/wizard_window.h"

namespace skerrow {

// How the tables of a run went beyond their own reports.
struct TablesOutcome {
  // Stop was requested while checked tables were still to start: they were left out.
  bool stopped = false;
  // The server connection was lost: the tables still to start were left out.
  bool connectionLost = false;
  // The checked tables never started, in list order.
  std::vector<std::string> notStarted;
};

// The checked tables, up to state.Jobs at a time: each job works on a source session and a
// MySQL connection of its own (the first job on the run's), takes the largest table not yet
// started, and converts it exactly as a run of one table at a time would. The reports land in
// state.Report in list order. Stop starts no further table and lets the running ones finish;
// a lost server connection starts no further table and ends the running ones at their next
// block of rows.
TablesOutcome ConvertTablesInParallel(ConversionState& state, WizardWindow& window);

}  // namespace skerrow
