#include "workflow/conversion_run.h"

#include <string>
#include <vector>

#include "workflow/completion_message.h"
#include "workflow/control_ids.h"
#include "workflow/destination_database.h"
#include "workflow/parallel_run.h"
#include "workflow/table_conversion.h"
#include "workflow/table_window.h"

namespace skerrow {

namespace {

int CountCheckedTables(WizardWindow& window) {
  int checked = 0;
  const int count = window.TableItemCount();
  for (int index = 0; index < count; ++index)
    if (window.IsTableItemChecked(index)) ++checked;
  return checked;
}

// One checked table on the run's own connections.
TableReport ConvertOneTable(ConversionState& state, WizardWindow& window,
                            const std::string& sourceTable) {
  window.OnTableStarted(sourceTable);
  TableWindow tableWindow(state, window);
  return ConvertTable(MakeTableJob(state, window, tableWindow), sourceTable, state.ColumnLists);
}

// The checked tables one after another, in list order.
TablesOutcome ConvertTablesInTurn(ConversionState& state, WizardWindow& window) {
  TablesOutcome outcome;
  bool connectionLost = false;
  const int count = window.TableItemCount();
  for (int index = 0; index < count; ++index) {
    if (!window.IsTableItemChecked(index)) continue;
    const std::size_t position = static_cast<std::size_t>(index);
    if (position >= state.TableNames.size()) break;
    if (connectionLost) {
      outcome.notStarted.push_back(state.TableNames[position]);
      continue;
    }
    state.Report.tables.push_back(ConvertOneTable(state, window, state.TableNames[position]));
    const TableReport& finished = state.Report.tables.back();
    window.OnTableFinished(finished);
    // Every further statement would fail the same way, whether the creation or the row copy
    // lost the connection.
    connectionLost = LostTheConnection(finished, state.Target);
    if (connectionLost) {
      state.Report.runError = ConnectionLostRunError(state.Target);
      continue;
    }
    if (state.StopRequested) {
      outcome.stopped = true;
      break;
    }
  }
  return outcome;
}

// Steps that close every run that got as far as the database: restore and unlock the page,
// tell the operator how it went, and return the bars to zero.
void CompleteRun(ConversionState& state, WizardWindow& window, bool stopped) {
  window.EndRunDisplay(stopped);
  state.StopRequested = false;
  state.Report.end = std::chrono::system_clock::now();
  state.Report.completed = true;
  window.UnlockSelection();
  window.ClearTableChecks();
  window.ShowMessage(CompletionMessage(state.Report));
  window.ResetProgressBars();
}

}  // namespace

void RunConversion(ConversionState& state, WizardWindow& window) {
  state.ConvertedTableCount = 0;
  state.SelectedTableCount = 0;
  state.Report = RunReport{};
  state.Report.start = std::chrono::system_clock::now();
  state.SelectedTableCount = CountCheckedTables(window);
  window.SetTablesProgressRange(state.SelectedTableCount);
  window.ShowTablesConverted(0, state.SelectedTableCount);
  if (state.SelectedTableCount < 1) {
    MessageRequest request;
    request.text = "Please select at least one table to continue the conversion.";
    request.caption = "Message";
    request.icon = MessageIcon::Warning;
    request.kind = MessageKind::Notice;
    window.ShowMessage(request);
    window.SetSelectAllChecked(false);
    return;
  }

  const std::optional<std::string> database = ValidateDestinationName(window);
  if (!database) return;
  state.Report.destinationDatabase = *database;

  window.LockSelection();
  const PrepareResult prepared = PrepareDestinationDatabase(state.Target, window, *database);
  if (prepared.outcome == PrepareOutcome::Declined) {
    window.UnlockSelection();
    window.ClearTableChecks();
    return;
  }
  if (prepared.outcome == PrepareOutcome::Failed) {
    state.Report.runError = prepared.error;
    return CompleteRun(state, window, false);
  }

  window.ShowProgressPanel();
  window.StartActivityTimer();

  const TablesOutcome outcome =
      state.Jobs > 1 ? ConvertTablesInParallel(state, window) : ConvertTablesInTurn(state, window);
  // A step that needs every table copied (foreign keys between the tables) belongs here: both
  // ways of converting the tables have ended, and only the run's own connections are in use.
  const std::vector<std::string>& notStarted = outcome.notStarted;
  const bool stopped = outcome.stopped;
  if (!notStarted.empty()) {
    state.Report.runError += "; not converted:";
    for (std::size_t i = 0; i < notStarted.size(); ++i)
      state.Report.runError += (i == 0 ? " " : ", ") + notStarted[i];
  }
  state.Report.stopped = stopped;
  CompleteRun(state, window, stopped);
}

bool StartConversion(ConversionState& state, WizardWindow& window) {
  if (state.RunInProgress) return false;
  if (state.WorkerThread.joinable()) state.WorkerThread.join();
  state.RunInProgress = true;
  state.WorkerThread = std::thread([&state, &window] {
    struct ClearWhenDone {
      std::atomic<bool>& flag;
      ~ClearWhenDone() { flag = false; }
    } clear{state.RunInProgress};
    RunConversion(state, window);
  });
  return true;
}

void WaitForConversion(ConversionState& state) {
  if (state.WorkerThread.joinable()) state.WorkerThread.join();
}

}  // namespace skerrow
