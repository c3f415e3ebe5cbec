#include "ui/link_label.h"

#include <QMouseEvent>

namespace skerrow::ui {

LinkLabel::LinkLabel(const QString& text, QWidget& parent, int controlId)
    : QLabel(text, &parent), controlId_(controlId) {}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
    emit clicked();
  QLabel::mouseReleaseEvent(event);
}

}  // namespace skerrow::ui
