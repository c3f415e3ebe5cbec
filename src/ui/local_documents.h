#pragma once

#include <QString>
#include <QUrl>
#include <functional>
#include <string>

namespace skerrow::ui {

// The documents shipped with the program. Nothing the program opens leaves the machine:
// the about box's addresses and the page shown at exit are sections of the local maker page.
inline constexpr char kHelpDocumentName[] = "skerrow-help.html";
inline constexpr char kMakerPageName[] = "skerrow-about.html";

// What the about box shows.
inline constexpr char kSupportAddress[] = "support@veltrano.example";
inline constexpr char kWebSiteAddress[] = "http://www.veltrano.example/";
inline constexpr char kSecondWebSiteAddress[] = "http://www.veltrano.example/skerrow/";

// The full path of a document: beside the executable when it lies there (the build tree), else
// in the installed data directory relative to the executable. When neither holds it, the
// installed path, for the message that says it is missing.
QString ProgramDocumentPath(const char* name);

QUrl HelpDocumentUrl();
// A section of the local maker page ("support", "company", "product", "goodbye").
QUrl MakerPageUrl(const char* section);

// Hands the URL to the desktop (the browser); false when nothing could open it.
bool OpenWithDesktop(const QUrl& url);

// How the windows open a URL: OpenWithDesktop, or a stand-in in tests. False when nothing
// could open it.
using UrlOpener = std::function<bool(const QUrl&)>;

// Opens the local document `url` with `opener`. When the file is missing or nothing opens it,
// returns what to tell the operator, with the file's full path so it can be opened by hand
// (`what` names it: "help document"); empty when it was opened.
std::string OpenLocalDocument(const UrlOpener& opener, const QUrl& url, const std::string& what);

}  // namespace skerrow::ui
