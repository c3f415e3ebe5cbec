#pragma once

#include <QColor>
#include <QPalette>

namespace skerrow::ui {

// The pale blue of both windows, their labels, group boxes and check box.
inline QColor PanelBackground() {
  return QColor(240, 247, 255);
}
// Group box titles, the about box's links and its "Email:" label.
inline QColor HeadingBlue() {
  return QColor(0, 70, 213);
}

// The window's one palette: PanelBackground behind everything, black text. Widgets that keep
// the system look (edits, the table list, the bars) are given the base palette back.
QPalette MakePanelPalette(const QPalette& base);
// The same with HeadingBlue text, for the group box titles and the links.
QPalette MakeHeadingPalette(const QPalette& panel);

}  // namespace skerrow::ui
