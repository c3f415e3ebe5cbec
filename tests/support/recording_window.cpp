#include "support/recording_window.h"

#include <gtest/gtest.h>

#include <utility>

#include "workflow/control_ids.h"
#include "workflow/run_report.h"

namespace skerrow::test {

namespace {

const char* Bool(bool value) {
  return value ? "true" : "false";
}

bool IsRead(const std::string& entry) {
  for (const char* prefix : {"GetControlText(", "TableItemCount(", "IsTableItemChecked("})
    if (entry.rfind(prefix, 0) == 0) return true;
  return false;
}

constexpr int kPageOneControls[] = {kServiceNameEdit, kOracleUserEdit, kOraclePasswordEdit,
                                    kMySqlServerEdit, kMySqlLoginEdit, kMySqlPasswordEdit};
constexpr int kPageTwoControls[] = {kDestinationNameEdit, kTableList, kSelectAllCheck,
                                    kTableCountLabel};
constexpr int kProgressControls[] = {kWaitLabel, kStatusLabel, kActivityBar, kTablesBar,
                                     kStopButton};

}  // namespace

std::string ToString(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::None:
      return "None";
    case MessageIcon::Information:
      return "Information";
    case MessageIcon::Warning:
      return "Warning";
    case MessageIcon::Question:
      return "Question";
  }
  return "?";
}

std::string ToString(MessageButtons buttons) {
  return buttons == MessageButtons::Ok ? "Ok" : "YesNo";
}

std::string ToString(MessageAnswer answer) {
  switch (answer) {
    case MessageAnswer::Ok:
      return "Ok";
    case MessageAnswer::Yes:
      return "Yes";
    case MessageAnswer::No:
      return "No";
  }
  return "?";
}

RecordingWindow::RecordingWindow() {
  texts_[kMySqlServerEdit] = "localhost";
  for (int id : kPageOneControls) shown_.insert(id);
  shown_.insert(kNextButton);
}

void RecordingWindow::Log(std::unique_lock<std::mutex>& lock, std::string entry) {
  calls_.push_back(entry);
  auto hook = hook_;
  lock.unlock();
  if (hook) hook(entry);
}

void RecordingWindow::SetShown(int controlId, bool shown) {
  if (shown)
    shown_.insert(controlId);
  else
    shown_.erase(controlId);
}

void RecordingWindow::SetField(int controlId, const std::string& text) {
  std::lock_guard lock(mutex_);
  texts_[controlId] = text;
}

void RecordingWindow::SetTableItems(const std::vector<std::string>& names) {
  std::lock_guard lock(mutex_);
  for (const auto& name : names) items_.push_back({name, false});
}

void RecordingWindow::SetTableChecked(int index, bool checked) {
  std::lock_guard lock(mutex_);
  items_.at(static_cast<std::size_t>(index)).checked = checked;
}

void RecordingWindow::QueueAnswer(MessageAnswer answer) {
  std::lock_guard lock(mutex_);
  answers_.push_back(answer);
}

void RecordingWindow::SetCallHook(std::function<void(const std::string&)> hook) {
  std::lock_guard lock(mutex_);
  hook_ = std::move(hook);
}

std::vector<std::string> RecordingWindow::Calls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

std::vector<std::string> RecordingWindow::Actions() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> actions;
  for (const auto& entry : calls_)
    if (!IsRead(entry)) actions.push_back(entry);
  return actions;
}

std::vector<MessageRequest> RecordingWindow::Messages() const {
  std::lock_guard lock(mutex_);
  return messages_;
}

std::size_t RecordingWindow::PendingAnswers() const {
  std::lock_guard lock(mutex_);
  return answers_.size();
}

std::string RecordingWindow::Text(int controlId) const {
  std::lock_guard lock(mutex_);
  auto it = texts_.find(controlId);
  return it == texts_.end() ? std::string() : it->second;
}

bool RecordingWindow::IsEnabled(int controlId) const {
  std::lock_guard lock(mutex_);
  return disabled_.count(controlId) == 0;
}

bool RecordingWindow::IsShown(int controlId) const {
  std::lock_guard lock(mutex_);
  return shown_.count(controlId) != 0;
}

int RecordingWindow::FocusedControl() const {
  std::lock_guard lock(mutex_);
  return focused_;
}

int RecordingWindow::Page() const {
  std::lock_guard lock(mutex_);
  return page_;
}

std::vector<std::string> RecordingWindow::TableItems() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> names;
  for (const auto& item : items_) names.push_back(item.name);
  return names;
}

bool RecordingWindow::TableChecked(int index) const {
  std::lock_guard lock(mutex_);
  return items_.at(static_cast<std::size_t>(index)).checked;
}

bool RecordingWindow::SelectAllChecked() const {
  std::lock_guard lock(mutex_);
  return selectAll_;
}

std::string RecordingWindow::Title() const {
  std::lock_guard lock(mutex_);
  return title_;
}

int RecordingWindow::TablesRange() const {
  std::lock_guard lock(mutex_);
  return tablesRange_;
}

int RecordingWindow::TablesPosition() const {
  std::lock_guard lock(mutex_);
  return tablesPosition_;
}

int RecordingWindow::ActivityPosition() const {
  std::lock_guard lock(mutex_);
  return activityPosition_;
}

bool RecordingWindow::ActivityTimerRunning() const {
  std::lock_guard lock(mutex_);
  return activityTimer_;
}

std::vector<TableReport> RecordingWindow::FinishedTables() const {
  std::lock_guard lock(mutex_);
  return finished_;
}

std::string RecordingWindow::GetControlText(int controlId) {
  std::unique_lock lock(mutex_);
  std::string text = texts_[controlId];
  Log(lock, "GetControlText(" + std::to_string(controlId) + ")");
  return text;
}

void RecordingWindow::SetControlText(int controlId, const std::string& text) {
  std::unique_lock lock(mutex_);
  texts_[controlId] = text;
  Log(lock, "SetControlText(" + std::to_string(controlId) + "," + text + ")");
}

void RecordingWindow::EnableControl(int controlId, bool enabled) {
  std::unique_lock lock(mutex_);
  if (enabled)
    disabled_.erase(controlId);
  else
    disabled_.insert(controlId);
  Log(lock, "EnableControl(" + std::to_string(controlId) + "," + Bool(enabled) + ")");
}

void RecordingWindow::FocusControl(int controlId) {
  std::unique_lock lock(mutex_);
  focused_ = controlId;
  Log(lock, "FocusControl(" + std::to_string(controlId) + ")");
}

int RecordingWindow::TableItemCount() {
  std::unique_lock lock(mutex_);
  int count = static_cast<int>(items_.size());
  Log(lock, "TableItemCount()");
  return count;
}

bool RecordingWindow::IsTableItemChecked(int index) {
  std::unique_lock lock(mutex_);
  bool checked = index >= 0 && static_cast<std::size_t>(index) < items_.size() &&
                 items_[static_cast<std::size_t>(index)].checked;
  Log(lock, "IsTableItemChecked(" + std::to_string(index) + ")");
  return checked;
}

void RecordingWindow::SetSelectAllChecked(bool checked) {
  std::unique_lock lock(mutex_);
  selectAll_ = checked;
  Log(lock, std::string("SetSelectAllChecked(") + Bool(checked) + ")");
}

void RecordingWindow::ResetTableList(int total) {
  std::unique_lock lock(mutex_);
  items_.clear();
  texts_[kTableCountLabel] = std::to_string(total);
  Log(lock, "ResetTableList(" + std::to_string(total) + ")");
}

void RecordingWindow::AddTableItem(const std::string& name) {
  std::unique_lock lock(mutex_);
  items_.push_back({name, false});
  Log(lock, "AddTableItem(" + name + ")");
}

void RecordingWindow::SetNavigationEnabled(bool enabled) {
  std::unique_lock lock(mutex_);
  for (int id : {kNextButton, kConvertButton}) {
    if (enabled)
      disabled_.erase(id);
    else
      disabled_.insert(id);
  }
  Log(lock, std::string("SetNavigationEnabled(") + Bool(enabled) + ")");
}

void RecordingWindow::ShowSelectionPage(const std::string& defaultDatabaseName) {
  std::unique_lock lock(mutex_);
  texts_[kDestinationNameEdit] = defaultDatabaseName;
  for (int id : kPageOneControls) SetShown(id, false);
  for (int id : kPageTwoControls) SetShown(id, true);
  SetShown(kNextButton, false);
  SetShown(kConvertButton, true);
  SetShown(kBackButton, true);
  disabled_.erase(kNextButton);
  disabled_.erase(kConvertButton);
  page_ = 2;
  Log(lock, "ShowSelectionPage(" + defaultDatabaseName + ")");
}

void RecordingWindow::LockSelection() {
  std::unique_lock lock(mutex_);
  for (int id : {kSelectAllCheck, kDestinationNameEdit, kTableList}) disabled_.insert(id);
  SetShown(kGreyConvertButton, true);
  SetShown(kConvertButton, false);
  Log(lock, "LockSelection()");
}

void RecordingWindow::UnlockSelection() {
  std::unique_lock lock(mutex_);
  for (int id : {kSelectAllCheck, kDestinationNameEdit, kTableList}) disabled_.erase(id);
  SetShown(kGreyConvertButton, false);
  SetShown(kConvertButton, true);
  Log(lock, "UnlockSelection()");
}

void RecordingWindow::ClearTableChecks() {
  std::unique_lock lock(mutex_);
  for (auto& item : items_) item.checked = false;
  selectAll_ = false;
  Log(lock, "ClearTableChecks()");
}

void RecordingWindow::SetTablesProgressRange(int total) {
  std::unique_lock lock(mutex_);
  tablesRange_ = total;
  Log(lock, "SetTablesProgressRange(" + std::to_string(total) + ")");
}

void RecordingWindow::ShowTablesConverted(int converted, int total) {
  std::unique_lock lock(mutex_);
  texts_[kStatusLabel] =
      std::to_string(converted) + " of " + std::to_string(total) + " Table(s) are converted.";
  Log(lock, "ShowTablesConverted(" + std::to_string(converted) + "," + std::to_string(total) + ")");
}

void RecordingWindow::StepTablesProgress() {
  std::unique_lock lock(mutex_);
  ++tablesPosition_;
  Log(lock, "StepTablesProgress()");
}

void RecordingWindow::ShowProgressPanel() {
  std::unique_lock lock(mutex_);
  for (int id : kProgressControls) SetShown(id, true);
  SetShown(kBackButton, false);
  Log(lock, "ShowProgressPanel()");
}

void RecordingWindow::StartActivityTimer() {
  std::unique_lock lock(mutex_);
  activityTimer_ = true;
  Log(lock, "StartActivityTimer()");
}

void RecordingWindow::SetProgressTitle(const std::string& text) {
  std::unique_lock lock(mutex_);
  title_ = text;
  Log(lock, "SetProgressTitle(" + text + ")");
}

void RecordingWindow::EndRunDisplay(bool stopped) {
  std::unique_lock lock(mutex_);
  title_ = "Veltrano Database Converter - Skerrow";
  activityTimer_ = false;
  activityPosition_ = 100;
  for (int id : kProgressControls) SetShown(id, false);
  SetShown(kBackButton, true);
  Log(lock, std::string("EndRunDisplay(") + Bool(stopped) + ")");
}

void RecordingWindow::ResetProgressBars() {
  std::unique_lock lock(mutex_);
  tablesPosition_ = 0;
  activityPosition_ = 0;
  Log(lock, "ResetProgressBars()");
}

MessageAnswer RecordingWindow::ShowMessage(const MessageRequest& request) {
  std::unique_lock lock(mutex_);
  messages_.push_back(request);
  MessageAnswer answer = MessageAnswer::Ok;
  if (request.buttons == MessageButtons::YesNo) {
    if (answers_.empty()) {
      ADD_FAILURE() << "Unexpected question: " << request.text;
      answer = MessageAnswer::No;
    } else {
      answer = answers_.front();
      answers_.pop_front();
    }
  }
  Log(lock, "ShowMessage(" + request.text + "|" + request.caption + "|" + ToString(request.icon) +
                "|" + ToString(request.buttons) + ")");
  return answer;
}

void RecordingWindow::OnTableStarted(const std::string& sourceTable) {
  std::unique_lock<std::mutex> lock(mutex_);
  Log(lock, "OnTableStarted(" + sourceTable + ")");
}

void RecordingWindow::OnTableRowsProgress(const std::string& targetTable, std::int64_t rows) {
  std::unique_lock lock(mutex_);
  Log(lock, "OnTableRowsProgress(" + targetTable + "," + std::to_string(rows) + ")");
}

void RecordingWindow::OnTableFinished(const TableReport& report) {
  std::unique_lock lock(mutex_);
  finished_.push_back(report);
  Log(lock, "OnTableFinished(" + report.sourceName + ")");
}

}  // namespace skerrow::test
