#pragma once

#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "cli/progress_display.h"
#include "cli/run_snapshot.h"
#include "workflow/wizard_window.h"

namespace skerrow::cli {

struct CliWindowSettings {
  bool terminal = false;       // standard output is a terminal: one updating progress line
  bool quiet = false;          // print only problems
  bool overwrite = false;      // the answer to the overwrite question is Yes
  bool severalTables = false;  // tables are converted at the same time: a line for each
};

// The command line's window: it holds the field texts and the table list the workflow reads
// and writes, prints message boxes by their kind (all but a clean completion on `err`), answers
// the question whether to replace the destination database from --overwrite, and shows a
// run's progress.
class CliWindow : public WizardWindow {
 public:
  CliWindow(std::ostream& out, std::ostream& err, CliWindowSettings settings);

  // The table list as the connection step filled it.
  const std::vector<std::string>& TableItems() const { return tableItems_; }
  void CheckTable(int index) { checks_.at(static_cast<std::size_t>(index)) = true; }

  // What the workflow showed; the front end decides its exit status from these.
  bool SelectionPageShown() const { return selectionPageShown_; }
  bool ProgressPanelShown() const { return progressPanelShown_; }
  bool OverwriteDeclined() const { return overwriteDeclined_; }
  // What the run has done so far; safe to read from another thread during the run.
  const RunSnapshot& Snapshot() const { return snapshot_; }

  std::string GetControlText(int controlId) override;
  void SetControlText(int controlId, const std::string& text) override;
  void EnableControl(int, bool) override {}
  void FocusControl(int) override {}

  int TableItemCount() override { return static_cast<int>(tableItems_.size()); }
  bool IsTableItemChecked(int index) override;
  void SetSelectAllChecked(bool) override {}

  void ResetTableList(int total) override;
  void AddTableItem(const std::string& name) override;
  void SetNavigationEnabled(bool) override {}
  void ShowSelectionPage(const std::string& defaultDatabaseName) override;
  void LockSelection() override {}
  void UnlockSelection() override {}
  void ClearTableChecks() override;

  void SetTablesProgressRange(int total) override;
  void ShowTablesConverted(int, int) override {}
  void StepTablesProgress() override {}
  void ShowProgressPanel() override;
  void StartActivityTimer() override {}
  // The caption's row count is shown by the progress line instead.
  void SetProgressTitle(const std::string&) override {}
  void EndRunDisplay(bool stopped) override;
  void ResetProgressBars() override {}

  MessageAnswer ShowMessage(const MessageRequest& request) override;

  void OnTableStarted(const std::string& sourceTable) override;
  void OnTableRowsProgress(const std::string& targetTable, std::int64_t rows) override;
  void OnTableFinished(const TableReport& report) override;

 private:
  // Yes with --overwrite; otherwise No, and how to replace it.
  MessageAnswer AnswerReplaceQuestion(const MessageRequest& request);

  std::ostream& out_;
  std::ostream& err_;
  CliWindowSettings settings_;
  ProgressDisplay progress_;
  RunSnapshot snapshot_;
  std::map<int, std::string> fields_;
  std::vector<std::string> tableItems_;
  std::vector<bool> checks_;
  bool selectionPageShown_ = false;
  bool progressPanelShown_ = false;
  bool overwriteDeclined_ = false;
};

}  // namespace skerrow::cli
