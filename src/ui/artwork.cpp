#include "ui/artwork.h"

#include <QPixmap>

// Q_INIT_RESOURCE must be used outside any namespace.
static void InitSkerrowResource() {
  Q_INIT_RESOURCE(skerrow);
}

namespace skerrow::ui {

void InitArtworkResources() {
  InitSkerrowResource();
}

QString ArtworkPath(const char* stem) {
  return QStringLiteral(":/skerrow/") + QString::fromLatin1(stem) + QStringLiteral(".png");
}

QIcon ProgramIcon() {
  InitArtworkResources();
  QIcon icon;
  for (int size : {256, 128, 96, 72, 64, 48, 32, 24, 16})
    icon.addFile(QStringLiteral(":/skerrow/icon_%1.png").arg(size), QSize(size, size));
  return icon;
}

QCursor HandCursor() {
  InitArtworkResources();
  return QCursor(QPixmap(ArtworkPath("hand_cursor")), 12, 1);
}

}  // namespace skerrow::ui
