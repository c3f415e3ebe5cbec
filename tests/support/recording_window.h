#pragma once

#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "workflow/run_report.h"
#include "workflow/wizard_window.h"

namespace skerrow::test {

// A WizardWindow for tests: keeps field texts, the table list with its checks and the enabled
// and shown state the operations imply, logs every call in order as readable text, and answers
// Yes/No questions from a scripted queue. Safe to call from the conversion worker thread.
//
// Log entries look like "ShowMessage(Please enter Oracle Service Name.|Message|Information|Ok)",
// "SetNavigationEnabled(false)", "FocusControl(1000)", "SetControlText(1011,)",
// "GetControlText(1054)".
class RecordingWindow : public WizardWindow {
 public:
  RecordingWindow();

  // --- Scripting by the test (not logged). ---
  void SetField(int controlId, const std::string& text);
  // Appends unchecked entries to the table list, as a listing would.
  void SetTableItems(const std::vector<std::string>& names);
  void SetTableChecked(int index, bool checked);
  // The answer to the next Yes/No question. A question with an empty queue fails the test and
  // is answered No.
  void QueueAnswer(MessageAnswer answer);
  // Called after every logged call (outside the window's lock) with the log entry; lets a test
  // act at a given point of a run, for example press Stop.
  void SetCallHook(std::function<void(const std::string&)> hook);

  // --- Inspection. ---
  std::vector<std::string> Calls() const;
  // The calls without the pure reads (GetControlText, TableItemCount, IsTableItemChecked).
  std::vector<std::string> Actions() const;
  std::vector<MessageRequest> Messages() const;
  std::size_t PendingAnswers() const;
  std::string Text(int controlId) const;
  bool IsEnabled(int controlId) const;
  bool IsShown(int controlId) const;
  int FocusedControl() const;
  int Page() const;
  std::vector<std::string> TableItems() const;
  bool TableChecked(int index) const;
  bool SelectAllChecked() const;
  std::string Title() const;
  int TablesRange() const;
  int TablesPosition() const;
  int ActivityPosition() const;
  bool ActivityTimerRunning() const;
  std::vector<TableReport> FinishedTables() const;

  // --- WizardWindow. ---
  std::string GetControlText(int controlId) override;
  void SetControlText(int controlId, const std::string& text) override;
  void EnableControl(int controlId, bool enabled) override;
  void FocusControl(int controlId) override;
  int TableItemCount() override;
  bool IsTableItemChecked(int index) override;
  void SetSelectAllChecked(bool checked) override;
  void ResetTableList(int total) override;
  void AddTableItem(const std::string& name) override;
  void SetNavigationEnabled(bool enabled) override;
  void ShowSelectionPage(const std::string& defaultDatabaseName) override;
  void LockSelection() override;
  void UnlockSelection() override;
  void ClearTableChecks() override;
  void SetTablesProgressRange(int total) override;
  void ShowTablesConverted(int converted, int total) override;
  void StepTablesProgress() override;
  void ShowProgressPanel() override;
  void StartActivityTimer() override;
  void SetProgressTitle(const std::string& text) override;
  void EndRunDisplay(bool stopped) override;
  void ResetProgressBars() override;
  MessageAnswer ShowMessage(const MessageRequest& request) override;
  void OnTableStarted(const std::string& sourceTable) override;
  void OnTableRowsProgress(const std::string& targetTable, std::int64_t rows) override;
  void OnTableFinished(const TableReport& report) override;

 private:
  struct Item {
    std::string name;
    bool checked = false;
  };

  // Appends to the log under the lock; the hook runs after the lock is released.
  void Log(std::unique_lock<std::mutex>& lock, std::string entry);
  void SetShown(int controlId, bool shown);

  mutable std::mutex mutex_;
  std::vector<std::string> calls_;
  std::vector<MessageRequest> messages_;
  std::deque<MessageAnswer> answers_;
  std::function<void(const std::string&)> hook_;

  std::map<int, std::string> texts_;
  std::set<int> disabled_;
  std::set<int> shown_;
  int focused_ = 0;
  int page_ = 1;
  std::vector<Item> items_;
  bool selectAll_ = false;
  std::string title_;
  int tablesRange_ = 0;
  int tablesPosition_ = 0;
  int activityPosition_ = 0;
  bool activityTimer_ = false;
  std::vector<TableReport> finished_;
};

// "Information", "Warning", ... and "Ok", "YesNo", "Yes", "No" for logs and test messages.
std::string ToString(MessageIcon icon);
std::string ToString(MessageButtons buttons);
std::string ToString(MessageAnswer answer);

}  // namespace skerrow::test
