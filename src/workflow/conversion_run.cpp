#include "workflow/conversion_run.h"

#include <exception>
#include <string>
#include <vector>

#include "schema/table_creation.h"
#include "workflow/completion_message.h"
#include "workflow/control_ids.h"
#include "workflow/destination_database.h"
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

// One checked table; whatever goes wrong ends this table only and lands in its report.
TableReport ConvertOneTable(ConversionState& state, WizardWindow& window,
                            const std::string& sourceTable) {
  TableReport report;
  report.sourceName = sourceTable;
  TableWindow tableWindow(state, window);
  try {
    TranslateTable(MakeTableJob(state, window, tableWindow), sourceTable, state.ColumnLists,
                   report);
  } catch (const SourceError& error) {
    if (error.Code() == kCodeNoCurrentRecord)
      report.createError =
          "not created: Oracle's catalog lists no columns for the table (was it dropped or "
          "renamed after the list of tables was read?)";
    else
      report.createError = "not created: Oracle could not describe the table: " +
                           error.Description().value_or(error.SystemMessage());
  } catch (const std::exception& error) {
    report.createError = std::string("not created: ") + error.what();
  }
  return report;
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

  bool stopped = false;
  bool connectionLost = false;
  std::vector<std::string> notStarted;
  const int count = window.TableItemCount();
  for (int index = 0; index < count; ++index) {
    if (!window.IsTableItemChecked(index)) continue;
    const std::size_t position = static_cast<std::size_t>(index);
    if (position >= state.TableNames.size()) break;
    if (connectionLost) {
      notStarted.push_back(state.TableNames[position]);
      continue;
    }
    state.Report.tables.push_back(ConvertOneTable(state, window, state.TableNames[position]));
    const TableReport& finished = state.Report.tables.back();
    window.OnTableFinished(finished);
    // Every further statement would fail the same way, whether the creation or the row copy
    // lost the connection.
    connectionLost = finished.connectionLost ||
                     (!finished.createdName && state.Target.LastErrorLostConnection());
    if (connectionLost) {
      state.Report.runError =
          "The connection to the MySQL server was lost: " + state.Target.LastErrorMessage();
      continue;
    }
    if (state.StopRequested) {
      stopped = true;
      break;
    }
  }
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
