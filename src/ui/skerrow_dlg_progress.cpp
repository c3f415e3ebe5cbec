// The run panel: activity bar, status line, tables bar, Stop and the title's progress line.
#include <QApplication>

#include "ui/gui_thread.h"
#include "ui/main_window_controls.h"
#include "ui/skerrow_dlg.h"

namespace skerrow::ui {

void CSkerrowDlg::SetTablesProgressRange(int total) {
  RunOnGuiThread(*this, [&] {
    // A zero range would turn the bar into a busy indicator; it stays an empty bar instead.
    controls_->tablesBar.setRange(0, total > 0 ? total : 1);
  });
}

void CSkerrowDlg::ShowTablesConverted(int converted, int total) {
  RunOnGuiThread(*this, [&] {
    controls_->statusLabel.setText(
        QStringLiteral("%1 of %2 Table(s) are converted.").arg(converted).arg(total));
  });
}

void CSkerrowDlg::StepTablesProgress() {
  RunOnGuiThread(*this, [&] {
    QProgressBar& bar = controls_->tablesBar;
    bar.setValue(std::min(bar.value() + 1, bar.maximum()));
  });
}

void CSkerrowDlg::ShowProgressPanel() {
  RunOnGuiThread(*this, [&] {
    MainWindowControls& c = *controls_;
    for (QWidget* widget : std::initializer_list<QWidget*>{
             &c.waitLabel, &c.statusLabel, &c.activityBar, &c.tablesBar, &c.stopButton})
      widget->show();
    c.backButton.hide();
    // Convert was pressed from the keyboard: Stop, in its place, is the next key away.
    if (keyboardRun_) c.stopButton.setFocus();
  });
}

void CSkerrowDlg::StartActivityTimer() {
  RunOnGuiThread(*this, [&] { controls_->activityTimer.start(); });
}

void CSkerrowDlg::StepActivityBar() {
  QProgressBar& bar = controls_->activityBar;
  const int next = bar.value() + 10;
  bar.setValue(next > bar.maximum() ? bar.minimum() : next);
}

void CSkerrowDlg::SetProgressTitle(const std::string& text) {
  RunOnGuiThread(*this, [&] { setWindowTitle(QString::fromStdString(text)); });
}

void CSkerrowDlg::EndRunDisplay(bool stopped) {
  RunOnGuiThread(*this, [&] {
    MainWindowControls& c = *controls_;
    if (!stopped) {
      if (isMinimized()) showNormal();
      // A question open over the window (Exit asked during the run) stays on top of it.
      if (QWidget* modal = QApplication::activeModalWidget(); modal != nullptr && modal != this) {
        modal->raise();
        modal->activateWindow();
      } else {
        raise();
        activateWindow();
      }
    }
    // The focus goes back to Convert only if the keyboard is still on Stop.
    keyboardRun_ = keyboardRun_ && focusWidget() == &c.stopButton;
    setWindowTitle(QStringLiteral("Veltrano Database Converter - Skerrow"));
    c.activityTimer.stop();
    c.activityBar.setValue(100);
    for (QWidget* widget : std::initializer_list<QWidget*>{
             &c.waitLabel, &c.statusLabel, &c.activityBar, &c.tablesBar, &c.stopButton})
      widget->hide();
    c.backButton.show();
  });
}

void CSkerrowDlg::ResetProgressBars() {
  RunOnGuiThread(*this, [&] {
    controls_->tablesBar.setValue(0);
    controls_->activityBar.setValue(0);
  });
}

}  // namespace skerrow::ui
