#include "ui/ui_fonts.h"

#include <algorithm>

namespace skerrow::ui {

QFont DialogFont() {
  QFont font;
  font.setFamilies({QStringLiteral("MS Shell Dlg 2"), QStringLiteral("Tahoma"),
                    QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans Condensed"),
                    QStringLiteral("DejaVu Sans")});
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(11);
  return font;
}

QFont HeadingFont() {
  QFont font;
  font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                    QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")});
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(16);
  font.setWeight(QFont::Bold);
  return font;
}

void FitLabelWidth(QWidget& label) {
  label.ensurePolished();
  label.resize(std::max(label.width(), label.sizeHint().width()), label.height());
}

}  // namespace skerrow::ui
