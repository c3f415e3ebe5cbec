#include "ui/local_documents.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>

namespace skerrow::ui {

QString ProgramDocumentPath(const char* name) {
  return QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromLatin1(name));
}

QUrl HelpDocumentUrl() {
  return QUrl::fromLocalFile(ProgramDocumentPath(kHelpDocumentName));
}

QUrl MakerPageUrl(const char* section) {
  QUrl url = QUrl::fromLocalFile(ProgramDocumentPath(kMakerPageName));
  url.setFragment(QString::fromLatin1(section));
  return url;
}

bool OpenWithDesktop(const QUrl& url) {
  return QDesktopServices::openUrl(url);
}

}  // namespace skerrow::ui
