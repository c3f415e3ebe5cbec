#include "message_box_answerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>

namespace skerrow::test {

MessageBoxAnswerer::MessageBoxAnswerer() {
  timer_.setInterval(5);
  QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
  timer_.start();
}

void MessageBoxAnswerer::Poll() {
  auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
  if (box == nullptr || !box->isVisible() || box->property("skerrowAnswered").toBool()) return;
  box->setProperty("skerrowAnswered", true);
  SeenMessage seen{box->text(),
                   box->windowTitle(),
                   box->icon(),
                   box->detailedText(),
                   box->button(QMessageBox::Yes) != nullptr,
                   box->parentWidget()};
  seen_.push_back(seen);
  if (onSeen_) onSeen_(seen);
  QMessageBox::StandardButton answer = QMessageBox::Ok;
  if (seen.yesNo) {
    if (answers_.empty()) {
      ++unexpected_;
      answer = QMessageBox::No;
    } else {
      answer = answers_.front();
      answers_.pop_front();
    }
  }
  // Clicked from the event loop, not from inside this poll, so exec() returns normally.
  QAbstractButton* button = box->button(answer);
  QTimer::singleShot(0, button, [button] { button->click(); });
}

void SaveScreenshot(QWidget& widget, const char* name) {
  const QString directory = qEnvironmentVariable("SKERROW_GUI_SCREENSHOTS");
  if (directory.isEmpty()) return;
  QDir().mkpath(directory);
  widget.grab().save(QDir(directory).filePath(QString::fromLatin1(name) + ".png"));
}

}  // namespace skerrow::test
