#include "ui/nav_button.h"

#include <QPainter>

namespace skerrow::ui {

NavButton::NavButton(QWidget& parent, int controlId)
    : QAbstractButton(&parent), controlId_(controlId) {
  setFocusPolicy(Qt::NoFocus);
}

NavButton::Image NavButton::Load(const QString& path) {
  Image image;
  if (path.isEmpty()) return image;
  image.pixmap = QPixmap(path);
  if (!image.pixmap.isNull()) image.path = path;
  return image;
}

void NavButton::LoadImages(const QString& up, const QString& down, const QString& focus,
                           const QString& disabled) {
  up_ = Load(up);
  down_ = Load(down);
  focus_ = Load(focus);
  disabled_ = Load(disabled);
  update();
}

void NavButton::SizeToContent() {
  resize(up_.pixmap.size());
}

QSize NavButton::sizeHint() const {
  return up_.pixmap.size();
}

const NavButton::Image& NavButton::ShownImage() const {
  if (isDown() && !down_.pixmap.isNull()) return down_;
  if (hasFocus() && !focus_.pixmap.isNull()) return focus_;
  if (!isEnabled() && !disabled_.pixmap.isNull()) return disabled_;
  return up_;
}

QString NavButton::ShownImagePath() const {
  return ShownImage().path;
}

void NavButton::paintEvent(QPaintEvent*) {
  const Image& image = ShownImage();
  if (image.pixmap.isNull()) return;
  QPainter painter(this);
  painter.setClipRect(rect());
  painter.drawPixmap(0, 0, image.pixmap);
}

}  // namespace skerrow::ui
