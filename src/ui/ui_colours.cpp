#include "ui/ui_colours.h"

namespace skerrow::ui {

QPalette MakePanelPalette(const QPalette& base) {
  QPalette palette = base;
  const QBrush background(PanelBackground());
  for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    palette.setBrush(group, QPalette::Window, background);
    if (group != QPalette::Disabled) {
      palette.setColor(group, QPalette::WindowText, Qt::black);
      palette.setColor(group, QPalette::Text, Qt::black);
    }
  }
  return palette;
}

QPalette MakeHeadingPalette(const QPalette& panel) {
  QPalette palette = panel;
  for (auto group : {QPalette::Active, QPalette::Inactive})
    palette.setColor(group, QPalette::WindowText, HeadingBlue());
  return palette;
}

}  // namespace skerrow::ui
