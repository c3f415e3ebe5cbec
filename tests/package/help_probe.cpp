// Preloaded (LD_PRELOAD) into the wizard as installed from the package: once its window is up,
// presses F1 and reports on standard output the address the wizard hands to the desktop for
// it, or the message box it shows instead. Exits at once with 0 (a document was opened), 1 (a
// message box) or 3 (nothing happened in time).
#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

constexpr int kPollMilliseconds = 100;
constexpr int kGiveUpAfterPolls = 300;

[[noreturn]] void Report(int status, const QString& text) {
  std::printf("help-probe: %s\n", qPrintable(text));
  std::fflush(stdout);
  std::_Exit(status);
}

class HelpProbe : public QObject {
  Q_OBJECT

 public:
  HelpProbe() {
    QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "Opened");
    connect(&poll_, &QTimer::timeout, this, &HelpProbe::Poll);
    poll_.start(kPollMilliseconds);
  }

 public slots:
  void Opened(const QUrl& url) { Report(0, QStringLiteral("opened ") + url.toString()); }

 private:
  void Poll() {
    if (++polls_ > kGiveUpAfterPolls) {
      Report(3, pressed_ ? QStringLiteral("F1 opened nothing")
                         : QStringLiteral("the wizard's window did not appear"));
    }
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      Report(1, QStringLiteral("message box: ") + box->text());
    }
    if (pressed_) return;
    for (QWidget* window : QApplication::topLevelWidgets()) {
      if (!window->isVisible() || qobject_cast<QDialog*>(window) == nullptr) continue;
      QPointer<QWidget> target = window->focusWidget() ? window->focusWidget() : window;
      pressed_ = true;
      // Pressed after this poll returns: a message box it opens runs its own event loop, in
      // which this timer must still fire to see it.
      QMetaObject::invokeMethod(
          this,
          [target] {
            if (!target) return;
            QKeyEvent press(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_F1, Qt::NoModifier);
            QApplication::sendEvent(target, &press);
            QApplication::sendEvent(target, &release);
          },
          Qt::QueuedConnection);
      return;
    }
  }

  QTimer poll_;
  int polls_ = 0;
  bool pressed_ = false;
};

std::unique_ptr<HelpProbe>& Probe() {
  static std::unique_ptr<HelpProbe> probe;
  return probe;
}

void StartProbe() {
  Probe() = std::make_unique<HelpProbe>();
  // Should the wizard end first, the probe goes before the application does.
  qAddPostRoutine([] { Probe().reset(); });
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(StartProbe)

#include "help_probe.moc"
