#pragma once

#include <QLabel>

namespace skerrow::ui {

// A label that reports a click on it (the about box's e-mail and web links).
class LinkLabel : public QLabel {
  Q_OBJECT

 public:
  LinkLabel(const QString& text, QWidget& parent, int controlId);
  int ControlId() const { return controlId_; }

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  int controlId_;
};

}  // namespace skerrow::ui
