#include "workflow/serialised_window.h"

namespace skerrow {

std::string SerialisedWindow::GetControlText(int controlId) {
  return Serialised([&](WizardWindow& w) { return w.GetControlText(controlId); });
}

void SerialisedWindow::SetControlText(int controlId, const std::string& text) {
  Serialised([&](WizardWindow& w) { w.SetControlText(controlId, text); });
}

void SerialisedWindow::EnableControl(int controlId, bool enabled) {
  Serialised([&](WizardWindow& w) { w.EnableControl(controlId, enabled); });
}

void SerialisedWindow::FocusControl(int controlId) {
  Serialised([&](WizardWindow& w) { w.FocusControl(controlId); });
}

int SerialisedWindow::TableItemCount() {
  return Serialised([&](WizardWindow& w) { return w.TableItemCount(); });
}

bool SerialisedWindow::IsTableItemChecked(int index) {
  return Serialised([&](WizardWindow& w) { return w.IsTableItemChecked(index); });
}

void SerialisedWindow::SetSelectAllChecked(bool checked) {
  Serialised([&](WizardWindow& w) { w.SetSelectAllChecked(checked); });
}

void SerialisedWindow::ResetTableList(int total) {
  Serialised([&](WizardWindow& w) { w.ResetTableList(total); });
}

void SerialisedWindow::AddTableItem(const std::string& name) {
  Serialised([&](WizardWindow& w) { w.AddTableItem(name); });
}

void SerialisedWindow::SetNavigationEnabled(bool enabled) {
  Serialised([&](WizardWindow& w) { w.SetNavigationEnabled(enabled); });
}

void SerialisedWindow::ShowSelectionPage(const std::string& defaultDatabaseName) {
  Serialised([&](WizardWindow& w) { w.ShowSelectionPage(defaultDatabaseName); });
}

void SerialisedWindow::LockSelection() {
  Serialised([&](WizardWindow& w) { w.LockSelection(); });
}

void SerialisedWindow::UnlockSelection() {
  Serialised([&](WizardWindow& w) { w.UnlockSelection(); });
}

void SerialisedWindow::ClearTableChecks() {
  Serialised([&](WizardWindow& w) { w.ClearTableChecks(); });
}

void SerialisedWindow::SetTablesProgressRange(int total) {
  Serialised([&](WizardWindow& w) { w.SetTablesProgressRange(total); });
}

void SerialisedWindow::ShowTablesConverted(int converted, int total) {
  Serialised([&](WizardWindow& w) { w.ShowTablesConverted(converted, total); });
}

void SerialisedWindow::StepTablesProgress() {
  Serialised([&](WizardWindow& w) { w.StepTablesProgress(); });
}

void SerialisedWindow::ShowProgressPanel() {
  Serialised([&](WizardWindow& w) { w.ShowProgressPanel(); });
}

void SerialisedWindow::StartActivityTimer() {
  Serialised([&](WizardWindow& w) { w.StartActivityTimer(); });
}

void SerialisedWindow::SetProgressTitle(const std::string& text) {
  Serialised([&](WizardWindow& w) { w.SetProgressTitle(text); });
}

void SerialisedWindow::EndRunDisplay(bool stopped) {
  Serialised([&](WizardWindow& w) { w.EndRunDisplay(stopped); });
}

void SerialisedWindow::ResetProgressBars() {
  Serialised([&](WizardWindow& w) { w.ResetProgressBars(); });
}

MessageAnswer SerialisedWindow::ShowMessage(const MessageRequest& request) {
  return Serialised([&](WizardWindow& w) { return w.ShowMessage(request); });
}

void SerialisedWindow::OnTableStarted(const std::string& sourceTable) {
  Serialised([&](WizardWindow& w) { w.OnTableStarted(sourceTable); });
}

void SerialisedWindow::OnTableRowsProgress(const std::string& targetTable, std::int64_t rows) {
  Serialised([&](WizardWindow& w) { w.OnTableRowsProgress(targetTable, rows); });
}

void SerialisedWindow::OnTableFinished(const TableReport& report) {
  Serialised([&](WizardWindow& w) { w.OnTableFinished(report); });
}

}  // namespace skerrow
