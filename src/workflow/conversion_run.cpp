#include "workflow/conversion_run.h"

#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "workflow/checked_tables.h"
#include "workflow/completion_message.h"
#include "workflow/control_ids.h"
#include "workflow/destination_database.h"
#include "workflow/parallel_run.h"
#include "workflow/table_conversion.h"
#include "workflow/table_window.h"

namespace skerrow {

namespace {

// One checked table on the run's own connections; whatever goes wrong ends this table only
// and lands in its report, unless the window itself is gone.
TableReport ConvertOneTable(ConversionState& state, WizardWindow& window,
                            const std::string& sourceTable) {
  window.OnTableStarted(sourceTable);
  TableWindow tableWindow(state, window);
  return ConvertTable(MakeTableJob(state, window, tableWindow), sourceTable, state.ColumnLists,
                      state.VerifyTables);
}

// The checked tables one after another, in list order.
TablesOutcome ConvertTablesInTurn(ConversionState& state, WizardWindow& window,
                                  const std::vector<std::string>& checked) {
  TablesOutcome outcome;
  for (std::size_t i = 0; i < checked.size(); ++i) {
    if (outcome.connectionLost || outcome.stopped) {
      outcome.notStarted.push_back(checked[i]);
      continue;
    }
    state.Journal.TableStarted(checked[i]);
    state.Report.tables.push_back(ConvertOneTable(state, window, checked[i]));
    const TableReport& finished = state.Report.tables.back();
    state.Journal.TableFinished(finished);
    window.OnTableFinished(finished);
    // Every further statement would fail the same way, whether the creation or the row copy
    // lost the connection.
    outcome.connectionLost = LostTheConnection(finished, state.Target);
    if (outcome.connectionLost) {
      state.Report.runError = ConnectionLostRunError(state.Target);
      continue;
    }
    // A stop during the last table leaves nothing undone: that run simply completed.
    if (state.StopRequested && i + 1 < checked.size()) outcome.stopped = true;
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
  state.Journal.Completed(state.Report);
  window.UnlockSelection();
  window.ClearTableChecks();
  window.ShowMessage(CompletionMessage(state.Report));
  window.ResetProgressBars();
}

void RunConversionSteps(ConversionState& state, WizardWindow& window) {
  state.ConvertedTableCount = 0;
  state.SelectedTableCount = 0;
  state.Report = RunReport{};
  state.Journal.Clear();
  state.Report.start = std::chrono::system_clock::now();
  const std::vector<std::string> checked = CheckedTables(state, window);
  state.SelectedTableCount = static_cast<std::int32_t>(checked.size());
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
  state.Journal.Begin(*database, state.Report.start, checked);

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

  const TablesOutcome outcome = state.Jobs > 1 ? ConvertTablesInParallel(state, window)
                                               : ConvertTablesInTurn(state, window, checked);
  // A step that needs every table copied (foreign keys between the tables) belongs here: both
  // ways of converting the tables have ended, and only the run's own connections are in use.
  state.Report.notStarted = outcome.notStarted;
  const bool stopped = outcome.stopped;
  if (outcome.connectionLost && !state.Report.notStarted.empty()) {
    state.Report.runError += "; not converted:";
    for (std::size_t i = 0; i < state.Report.notStarted.size(); ++i)
      state.Report.runError += (i == 0 ? " " : ", ") + state.Report.notStarted[i];
  }
  state.Report.stopped = stopped;
  CompleteRun(state, window, stopped);
}

// A failure no step handled: the report says what ended the run and what it left undone, and
// the run ends through its completion steps as far as the window still carries them out.
void EndRunAfterFailure(ConversionState& state, WizardWindow& window, const std::string& what) {
  const std::string cause = "the run failed (" + what + ")";
  if (auto interrupted = state.Journal.InterruptedReport(std::chrono::system_clock::now(), cause);
      interrupted && !interrupted->completed) {
    state.Report = *interrupted;
  } else {
    state.Report.runError = "The conversion ended early: " + cause + ".";
  }
  try {
    CompleteRun(state, window, false);
  } catch (const std::exception& error) {
    // The window cannot show anything more; standard error is all that is left.
    std::cerr << "skerrow: " << state.Report.runError
              << " Its end could not be shown either: " << error.what() << std::endl;
  } catch (...) {
    std::cerr << "skerrow: " << state.Report.runError << std::endl;
  }
}

}  // namespace

void RunConversion(ConversionState& state, WizardWindow& window) {
  try {
    RunConversionSteps(state, window);
  } catch (const std::exception& error) {
    EndRunAfterFailure(state, window, error.what());
  } catch (...) {
    EndRunAfterFailure(state, window, "an exception of unknown kind");
  }
  try {
    window.OnRunEnded();
  } catch (const std::exception& error) {
    std::cerr << "skerrow: the end of the run could not be shown: " << error.what() << std::endl;
  } catch (...) {
    std::cerr << "skerrow: the end of the run could not be shown" << std::endl;
  }
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
