#pragma once

#include <QAbstractButton>
#include <QPixmap>
#include <QString>

namespace skerrow::ui {

// A push control drawn entirely from pictures: the down picture while pressed, else the focus
// picture while focused, else the disabled picture while disabled, else the up picture. A state
// without a picture of its own falls through to the next rule. Pictures are drawn unscaled from
// their top-left corner and clipped to the control; no caption, frame or focus mark.
class NavButton : public QAbstractButton {
  Q_OBJECT

 public:
  NavButton(QWidget& parent, int controlId);

  // Resource paths; an empty path means the state has no picture of its own. A picture that
  // cannot be loaded counts as missing.
  void LoadImages(const QString& up, const QString& down, const QString& focus = {},
                  const QString& disabled = {});
  // Takes the size of the up picture, keeping the top-left corner.
  void SizeToContent();

  int ControlId() const { return controlId_; }
  // The path of the picture the control shows in its present state (empty: draws nothing).
  QString ShownImagePath() const;

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  struct Image {
    QString path;
    QPixmap pixmap;
  };
  static Image Load(const QString& path);
  const Image& ShownImage() const;

  int controlId_;
  Image up_, down_, focus_, disabled_;
};

}  // namespace skerrow::ui
