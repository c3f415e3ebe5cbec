#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace skerrow {

struct TableReport;

enum class MessageIcon { None, Information, Warning, Question };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

// What a message box is for, so that a front end without boxes answers and reports it by its
// kind, never by its text.
enum class MessageKind {
  // Something to type or choose before going on: a missing field, no table checked, a
  // destination name that cannot be used.
  Notice,
  // A step failed; the text says what and why.
  Error,
  // Yes/No: replace the destination database that exists already?
  ReplaceQuestion,
  // Yes/No: end the program?
  ExitQuestion,
  // The end of a run in which every checked table converted with every row.
  Completed,
  // The end of a run with failures; the text and the details list them.
  CompletedWithErrors,
  // The end of a run the operator stopped before every checked table was converted.
  Stopped,
};

// The message that ends a run that got as far as the database (its details hold the
// per-table report).
inline bool EndsARun(MessageKind kind) {
  return kind == MessageKind::Completed || kind == MessageKind::CompletedWithErrors ||
         kind == MessageKind::Stopped;
}

// One modal message box. `details` is extra text a window may offer beside the message (the
// per-table report at the end of a run, a server's message); empty when there is none.
struct MessageRequest {
  std::string text;
  std::string caption;
  MessageIcon icon = MessageIcon::None;
  MessageButtons buttons = MessageButtons::Ok;
  std::string details;
  MessageKind kind = MessageKind::Error;
};

// Thrown by a window operation the window could not carry out (it was closed while the call
// waited): the run cannot go on through that window.
class WindowOperationFailed : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The window operations the workflow calls. The Qt wizard and the command-line front end
// implement them; tests use a recording window. Operations called from the conversion worker
// are carried out by the window before the call returns, in call order.
class WizardWindow {
 public:
  virtual ~WizardWindow() = default;

  // Fields by control id.
  virtual std::string GetControlText(int controlId) = 0;
  virtual void SetControlText(int controlId, const std::string& text) = 0;
  virtual void EnableControl(int controlId, bool enabled) = 0;
  virtual void FocusControl(int controlId) = 0;

  // The table check list and the Select All box.
  virtual int TableItemCount() = 0;
  virtual bool IsTableItemChecked(int index) = 0;
  virtual void SetSelectAllChecked(bool checked) = 0;

  // Page operations.
  virtual void ResetTableList(int total) = 0;
  virtual void AddTableItem(const std::string& name) = 0;
  virtual void SetNavigationEnabled(bool enabled) = 0;
  virtual void ShowSelectionPage(const std::string& defaultDatabaseName) = 0;
  virtual void LockSelection() = 0;
  virtual void UnlockSelection() = 0;
  virtual void ClearTableChecks() = 0;

  // Display operations of a run.
  virtual void SetTablesProgressRange(int total) = 0;
  virtual void ShowTablesConverted(int converted, int total) = 0;
  virtual void StepTablesProgress() = 0;
  virtual void ShowProgressPanel() = 0;
  virtual void StartActivityTimer() = 0;
  virtual void SetProgressTitle(const std::string& text) = 0;
  virtual void EndRunDisplay(bool stopped) = 0;
  virtual void ResetProgressBars() = 0;

  virtual MessageAnswer ShowMessage(const MessageRequest& request) = 0;

  // Notifications for front ends that show more than the wizard's caption (the command line's
  // progress line and report): a checked table's conversion begins, its rows so far (the
  // table's true count), and its end.
  virtual void OnTableStarted(const std::string& /*sourceTable*/) {}
  virtual void OnTableRowsProgress(const std::string& /*targetTable*/, std::int64_t /*rows*/) {}
  virtual void OnTableFinished(const TableReport& /*report*/) {}
  // The conversion run's last call, whichever way it ended (also before its completion steps:
  // nothing checked, a refused name, a declined overwrite, a failure).
  virtual void OnRunEnded() {}
};

}  // namespace skerrow
