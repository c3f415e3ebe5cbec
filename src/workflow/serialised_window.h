#pragma once

#include <mutex>
#include <string>

#include "workflow/wizard_window.h"

namespace skerrow {

// The window as the jobs of a parallel run see it: every operation is passed on to `window`
// one at a time, so that calls from several jobs never overlap, in the order they arrive.
class SerialisedWindow : public WizardWindow {
 public:
  explicit SerialisedWindow(WizardWindow& window) : window_(window) {}

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
  // Runs `operation` on the window under the lock and returns what it returns.
  template <typename Operation>
  auto Serialised(Operation operation) {
    const std::lock_guard<std::mutex> lock(mutex_);
    return operation(window_);
  }

  WizardWindow& window_;
  std::mutex mutex_;
};

}  // namespace skerrow
