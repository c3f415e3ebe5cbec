// Field access by control id and the modal message boxes the workflow asks for.
#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>

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
  return RunOnGuiThread(*this, [&] {
    // A box without a caption of its own carries the program's name.
    const QString caption = request.caption.empty() ? QCoreApplication::applicationName()
                                                    : QString::fromStdString(request.caption);
    const bool yesNo = request.buttons == MessageButtons::YesNo;
    QMessageBox box(ToQtIcon(request.icon), caption, QString::fromStdString(request.text),
                    yesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok, this);
    box.setDefaultButton(yesNo ? QMessageBox::Yes : QMessageBox::Ok);
    if (!request.details.empty()) box.setDetailedText(QString::fromStdString(request.details));
    const int answer = box.exec();
    if (!yesNo) return MessageAnswer::Ok;
    return answer == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
  });
}

}  // namespace skerrow::ui
