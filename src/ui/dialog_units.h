#pragma once

#include <QRect>

namespace skerrow::ui {

// The windows are laid out in dialog units of an 8-point dialog font at 96 DPI: one unit is
// 1.5 pixels across and 1.625 down, cut to whole pixels (418 x 324 units give 627 x 526).
inline int DialogUnitsX(int units) {
  return units * 3 / 2;
}
inline int DialogUnitsY(int units) {
  return units * 13 / 8;
}
inline QRect DialogUnitsRect(int x, int y, int width, int height) {
  return QRect(DialogUnitsX(x), DialogUnitsY(y), DialogUnitsX(width), DialogUnitsY(height));
}

}  // namespace skerrow::ui
