#pragma once

#include <QMessageBox>
#include <QString>
#include <QTimer>
#include <deque>
#include <functional>
#include <vector>

namespace skerrow::test {

// What a message box showed.
struct SeenMessage {
  QString text;
  QString caption;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QString details;
  bool yesNo = false;
  // The window the box belongs to (it stays above it).
  const QWidget* parent = nullptr;
};

// Answers the application's modal message boxes from a scripted queue: polls for the active
// modal QMessageBox, records it and clicks the next scripted button (Ok for an Ok box). A Yes/No
// box with an empty queue is recorded and answered No, and counted as unexpected.
class MessageBoxAnswerer {
 public:
  MessageBoxAnswerer();
  void Queue(QMessageBox::StandardButton answer) { answers_.push_back(answer); }
  const std::vector<SeenMessage>& Seen() const { return seen_; }
  int Unexpected() const { return unexpected_; }
  std::size_t PendingAnswers() const { return answers_.size(); }
  // Called with each box as it is seen, before it is answered (the window can be inspected
  // while the box is up).
  void OnSeen(std::function<void(const SeenMessage&)> callback) { onSeen_ = std::move(callback); }

 private:
  void Poll();

  QTimer timer_;
  std::deque<QMessageBox::StandardButton> answers_;
  std::vector<SeenMessage> seen_;
  int unexpected_ = 0;
  std::function<void(const SeenMessage&)> onSeen_;
};

// Saves a picture of the widget under $SKERROW_GUI_SCREENSHOTS (nothing when it is not set).
void SaveScreenshot(QWidget& widget, const char* name);

}  // namespace skerrow::test
