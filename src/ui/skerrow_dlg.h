#pragma once

#include <QDialog>
#include <QUrl>
#include <functional>
#include <memory>
#include <thread>

#include "ui/local_documents.h"
#include "ui/question_gate.h"
#include "workflow/conversion_state.h"
#include "workflow/wizard_window.h"

class QListWidget;

namespace skerrow::ui {

class NavButton;
struct MainWindowControls;

// The wizard: one fixed-size window of two pages. It implements the window operations the
// workflow calls; operations called from the conversion worker are run on the GUI thread and
// waited for, so they take effect in call order while the window keeps handling its events.
class CSkerrowDlg : public QDialog, public WizardWindow {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 627;
  static constexpr int kClientHeight = 526;

  // Hands the desktop a URL (help document, maker page); replaceable so tests open nothing.
  // False when nothing could open it.
  using UrlOpener = ui::UrlOpener;
  // Ends the process at once while a worker may still run; it receives the abandoned worker.
  using ProcessEnder = std::function<void(std::thread worker)>;

  explicit CSkerrowDlg(ConversionState& state, QWidget* parent = nullptr);
  ~CSkerrowDlg() override;

  // WizardWindow.
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
  // From the worker while the exit question is open, the box waits until it is answered.
  MessageAnswer ShowMessage(const MessageRequest& request) override;
  // Unlocks the page commands that Convert locked.
  void OnRunEnded() override;

  // The window's own commands.
  void ShowConnectionPage();
  void SyncSelectAll();
  void OpenAboutBox();
  void OpenHelpFile();
  void RequestExit();
  // Before the window and the state go: joins a finished worker and closes the target
  // connection, or ends the process while a worker still runs (it cannot be waited for: it may
  // be waiting for this window).
  void ReleaseWorker();

  // The widget of a control id (nullptr for an unknown id), the tiles and the table list.
  QWidget* Control(int controlId) const;
  NavButton& Tile(int controlId) const;
  QListWidget& TableList() const;

  void SetUrlOpener(UrlOpener opener) { openUrl_ = std::move(opener); }
  void SetProcessEnder(ProcessEnder ender) { endProcess_ = std::move(ender); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void ConnectCommands();
  void FixTabOrder();
  // Next and Convert.
  void RunConnectionStep();
  void StartRun();
  void OnSelectAllClicked(bool checked);
  void SetAllTableChecks(bool checked);
  void StepActivityBar();
  // True when the key must not reach the window's standard handling.
  bool HandleKey(QKeyEvent& key, QObject& target);
  MessageAnswer AskExitQuestion(const std::string& text);
  // The question Exit asks while a run is in progress: it names the table and where the
  // report of the interrupted run will be written.
  std::string RunExitQuestion() const;
  void LeaveReportOfInterruptedRun();
  // Opens a shipped document; says so, with its path, when it is missing or nothing opens it.
  void OpenDocument(const QUrl& url, const std::string& what);
  MessageAnswer ShowBox(const MessageRequest& request);

  ConversionState& state_;
  std::unique_ptr<MainWindowControls> controls_;
  UrlOpener openUrl_;
  ProcessEnder endProcess_;
  // Set while the window itself checks or unchecks many items, so that the per-item change
  // notifications do not re-sync Select All half-way.
  bool settingAllChecks_ = false;
  bool exitConfirmed_ = false;
  // From Convert to the run's end: Back and the page commands do nothing.
  bool pageLocked_ = false;
  // The run was started from the keyboard: focus follows it to Stop and back to Convert.
  bool keyboardRun_ = false;
  QuestionGate exitQuestion_;
};

}  // namespace skerrow::ui
