#include "ui/local_documents.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

// Where an installed program's documents lie, seen from its own directory ("../share/skerrow"
// under the usual layout); the build defines it from the install directories.
#ifndef SKERROW_DOCUMENT_DIR_FROM_PROGRAM
#define SKERROW_DOCUMENT_DIR_FROM_PROGRAM "../share/skerrow"
#endif

namespace skerrow::ui {

QString ProgramDocumentPath(const char* name) {
  const QDir programDir(QCoreApplication::applicationDirPath());
  const QString fileName = QString::fromLatin1(name);
  // Beside the program in the build tree; in the data directory once installed, wherever the
  // prefix is.
  const QString beside = programDir.filePath(fileName);
  if (QFileInfo::exists(beside)) return beside;
  return QDir::cleanPath(
      programDir.filePath(QStringLiteral(SKERROW_DOCUMENT_DIR_FROM_PROGRAM "/") + fileName));
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

std::string OpenLocalDocument(const UrlOpener& opener, const QUrl& url, const std::string& what) {
  const std::string path = url.toLocalFile().toStdString();
  if (!QFileInfo::exists(url.toLocalFile())) return "The " + what + " could not be found: " + path;
  if (opener(url)) return {};
  // A minimal desktop or a remote session may have nothing that opens a web page.
  return "The " + what + " could not be opened: nothing on this desktop could open it. " +
         "You can open it by hand: " + path;
}

}  // namespace skerrow::ui
