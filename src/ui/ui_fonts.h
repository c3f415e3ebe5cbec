#pragma once

#include <QFont>
#include <QWidget>

namespace skerrow::ui {

// The dialog text font: an 8-point sans serif at 96 DPI.
QFont DialogFont();
// The group box titles: bold 16-pixel Arial, or the closest sans serif installed.
QFont HeadingFont();

// Widens a label laid out for narrower metrics so that its text is never cut; the position and
// the template width (as a minimum) stay.
void FitLabelWidth(QWidget& label);

}  // namespace skerrow::ui
