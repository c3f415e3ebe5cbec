#include "workflow/table_verify.h"

#include <optional>
#include <vector>

#include "db/source_error.h"
#include "schema/table_creation.h"
#include "transfer/verify_table_rows.h"
#include "workflow/checked_tables.h"
#include "workflow/completion_message.h"
#include "workflow/control_ids.h"
#include "workflow/destination_database.h"
#include "workflow/table_window.h"

namespace skerrow {

namespace {

// One table of a verification run: its columns as a conversion would map them, then the
// comparison. A table the source cannot describe fails with the source's reason.
TableReport VerifyOneTable(ConversionState& state, WizardWindow& window,
                           const std::string& sourceTable) {
  TableReport report;
  report.sourceName = sourceTable;
  report.createdName = sourceTable;
  TableWindow tableWindow(state, window);
  TableVerification verification = VerifyConvertedTable(
      MakeTableJob(state, window, tableWindow), sourceTable, sourceTable, state.ColumnLists, 0);
  report.rowsRead = verification.sourceRows;
  report.connectionLost = verification.connectionLost;
  report.verification = std::move(verification);
  return report;
}

}  // namespace

TableVerification VerifyConvertedTable(const TableJob& job, const std::string& sourceTable,
                                       const std::string& targetTable, TableColumnLists& lists,
                                       std::int64_t refusedByCopy) {
  try {
    // The copy uses up its select list, so the columns are mapped again.
    TargetConnection& target = job.target;
    DescribeTableColumns(
        job.source, sourceTable,
        [&target](std::string_view text) { return target.EscapeString(text); }, lists);
  } catch (const SourceError& error) {
    TableVerification failed;
    failed.error = "Oracle could not describe the table: " +
                   error.Description().value_or(error.SystemMessage());
    return failed;
  }
  VerifyOptions options;
  options.fetchRows = job.options.fetchRows;
  const VerifyJob verifyJob{job.source, job.target, job.owner, job.database, options};
  const TableToVerify table{sourceTable, targetTable, lists,
                            ReadKeyColumnNames(job.source, sourceTable, job.owner), refusedByCopy};
  return VerifyTableRows(verifyJob, table);
}

void RunVerification(ConversionState& state, WizardWindow& window) {
  state.Report = RunReport{};
  state.Report.verifyOnly = true;
  state.Journal.Clear();
  state.Report.start = std::chrono::system_clock::now();
  const std::vector<std::string> checked = CheckedTables(state, window);
  state.SelectedTableCount = static_cast<std::int32_t>(checked.size());
  if (checked.empty()) {
    MessageRequest request;
    request.text = "Please select at least one table to continue the conversion.";
    request.caption = "Message";
    request.icon = MessageIcon::Warning;
    request.kind = MessageKind::Notice;
    window.ShowMessage(request);
    return;
  }
  const std::optional<std::string> database = ValidateDestinationName(window);
  if (!database) return;
  state.Report.destinationDatabase = *database;
  window.LockSelection();
  window.SetTablesProgressRange(state.SelectedTableCount);
  window.ShowTablesConverted(0, state.SelectedTableCount);
  window.ShowProgressPanel();
  for (std::size_t i = 0; i < checked.size(); ++i) {
    if (i > 0 && state.Report.tables.back().connectionLost) {
      state.Report.notStarted.push_back(checked[i]);
      continue;
    }
    state.Report.tables.push_back(VerifyOneTable(state, window, checked[i]));
    window.OnTableFinished(state.Report.tables.back());
  }
  if (!state.Report.notStarted.empty())
    state.Report.runError =
        "The connection to the MySQL server was lost: " + state.Target.LastErrorMessage();
  window.EndRunDisplay(false);
  state.Report.end = std::chrono::system_clock::now();
  state.Report.completed = true;
  window.UnlockSelection();
  window.ShowMessage(CompletionMessage(state.Report));
}

}  // namespace skerrow
