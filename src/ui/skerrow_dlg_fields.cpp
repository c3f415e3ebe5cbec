// Field access by control id and the modal message boxes the workflow asks for.
#include <QAbstractButton>
#include <QApplication>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTextEdit>
#include <algorithm>
#include <optional>

#include "ui/gui_thread.h"
#include "ui/main_window_controls.h"
#include "ui/skerrow_dlg.h"

namespace skerrow::ui {

namespace {

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::Warning:
      return QMessageBox::Warning;
    case MessageIcon::Question:
      return QMessageBox::Question;
    case MessageIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

// The per-table report in the details is a table of columns: a fixed-width font, no wrapping,
// and room for its lines (up to a sensible width; the rest scrolls).
void ShowAsTable(QMessageBox& box) {
  auto* details = box.findChild<QTextEdit*>();
  if (details == nullptr) return;
  const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  details->setFont(fixed);
  details->setLineWrapMode(QTextEdit::NoWrap);
  const QFontMetrics metrics(fixed);
  int widest = 0;
  for (const QString& line : box.detailedText().split(QLatin1Char('\n')))
    widest = std::max(widest, metrics.horizontalAdvance(line));
  constexpr int kMaxWidth = 720;
  details->setMinimumWidth(std::min(widest + 2 * metrics.averageCharWidth() + 24, kMaxWidth));
}

}  // namespace

std::string CSkerrowDlg::GetControlText(int controlId) {
  return RunOnGuiThread(*this, [&]() -> std::string {
    QWidget* widget = Control(controlId);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) return edit->text().toStdString();
    if (auto* label = qobject_cast<QLabel*>(widget)) return label->text().toStdString();
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text().toStdString();
    if (auto* group = qobject_cast<QGroupBox*>(widget)) return group->title().toStdString();
    return {};
  });
}

void CSkerrowDlg::SetControlText(int controlId, const std::string& text) {
  RunOnGuiThread(*this, [&] {
    QWidget* widget = Control(controlId);
    const QString value = QString::fromStdString(text);
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
      edit->setText(value);
    else if (auto* label = qobject_cast<QLabel*>(widget))
      label->setText(value);
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
      button->setText(value);
    else if (auto* group = qobject_cast<QGroupBox*>(widget))
      group->setTitle(value);
  });
}

void CSkerrowDlg::EnableControl(int controlId, bool enabled) {
  RunOnGuiThread(*this, [&] {
    if (QWidget* widget = Control(controlId)) widget->setEnabled(enabled);
  });
}

void CSkerrowDlg::FocusControl(int controlId) {
  RunOnGuiThread(*this, [&] {
    if (QWidget* widget = Control(controlId)) widget->setFocus();
  });
}

MessageAnswer CSkerrowDlg::ShowMessage(const MessageRequest& request) {
  const bool fromWorker = QThread::currentThread() != thread();
  for (;;) {
    const std::optional<MessageAnswer> answer =
        RunOnGuiThread(*this, [&]() -> std::optional<MessageAnswer> {
          // Over the exit question it would hide the question; it waits for the answer.
          if (fromWorker && exitQuestion_.IsHeld()) return std::nullopt;
          return ShowBox(request);
        });
    if (answer) return *answer;
    exitQuestion_.WaitUntilFree();
  }
}

MessageAnswer CSkerrowDlg::ShowBox(const MessageRequest& request) {
  // A box without a caption of its own carries the program's name.
  const QString caption = request.caption.empty() ? QCoreApplication::applicationName()
                                                  : QString::fromStdString(request.caption);
  const bool yesNo = request.buttons == MessageButtons::YesNo;
  QMessageBox box(ToQtIcon(request.icon), caption, QString::fromStdString(request.text),
                  yesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok, this);
  box.setDefaultButton(yesNo ? QMessageBox::Yes : QMessageBox::Ok);
  // Paths and server messages in the text can be copied.
  box.setTextInteractionFlags(Qt::TextSelectableByMouse);
  if (!request.details.empty()) {
    box.setDetailedText(QString::fromStdString(request.details));
    if (EndsARun(request.kind)) ShowAsTable(box);
  }
  const int answer = box.exec();
  if (!yesNo) return MessageAnswer::Ok;
  return answer == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

}  // namespace skerrow::ui
