#include "ui/about_dialog.h"

#include <QMessageBox>

#include "ui/artwork.h"
#include "ui/dialog_units.h"
#include "ui/local_documents.h"
#include "ui/ui_colours.h"
#include "ui/ui_fonts.h"

namespace skerrow::ui {

CAboutDlg::CAboutDlg(QWidget& parent, UrlOpener openUrl)
    : QDialog(&parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint),
      openUrl_(std::move(openUrl)),
      logo_(this),
      title_(QStringLiteral("Veltrano Database Converter - Skerrow"), this),
      version_(QStringLiteral("Version : 4.0.1.6"), this),
      notice_(QStringLiteral("Copyright \u00a9 Veltrano"), this),
      emailLabel_(QStringLiteral("Email:"), this),
      emailLink_(QString::fromLatin1(kSupportAddress), *this, kEmailLinkId),
      webLink_(QString::fromLatin1(kWebSiteAddress), *this, kWebLinkId),
      secondWebLink_(QString::fromLatin1(kSecondWebSiteAddress), *this, kSecondWebLinkId),
      ok_(QStringLiteral("OK"), this) {
  InitArtworkResources();
  setWindowTitle(QStringLiteral("Veltrano Database Converter - Skerrow"));
  setFixedSize(DialogUnitsX(286), DialogUnitsY(90));
  setFont(DialogFont());
  // One palette for the window: the pale background, black text; blue for the links.
  const QPalette panel = MakePanelPalette(palette());
  setPalette(panel);
  setAutoFillBackground(true);
  const QPalette heading = MakeHeadingPalette(panel);

  logo_.setPixmap(QPixmap(ArtworkPath("about_logo")));
  logo_.setAlignment(Qt::AlignLeft | Qt::AlignTop);
  logo_.setGeometry(DialogUnitsRect(5, 2, 65, 60));
  title_.setGeometry(DialogUnitsRect(95, 12, 178, 8));
  version_.setGeometry(DialogUnitsRect(126, 22, 55, 8));
  notice_.setGeometry(DialogUnitsRect(115, 32, 78, 8));
  emailLabel_.setGeometry(DialogUnitsRect(93, 45, 20, 8));
  emailLabel_.setPalette(heading);
  emailLink_.setGeometry(DialogUnitsRect(115, 44, 92, 8));
  webLink_.setGeometry(DialogUnitsRect(93, 55, 101, 8));
  secondWebLink_.setGeometry(DialogUnitsRect(93, 65, 120, 8));
  ok_.setGeometry(DialogUnitsRect(230, 72, 50, 14));
  ok_.setDefault(true);
  ok_.setAutoDefault(true);
  connect(&ok_, &QPushButton::clicked, this, &QDialog::accept);

  struct LinkTarget {
    LinkLabel* link;
    const char* section;
  };
  const QCursor hand = HandCursor();
  for (const LinkTarget& target :
       {LinkTarget{&emailLink_, "support"}, LinkTarget{&webLink_, "company"},
        LinkTarget{&secondWebLink_, "product"}}) {
    target.link->setPalette(heading);
    target.link->setCursor(hand);
    const QUrl url = MakerPageUrl(target.section);
    connect(target.link, &LinkLabel::clicked, this, [this, url] { OpenLink(url); });
  }
  for (QLabel* label :
       {&title_, &version_, &notice_, &emailLabel_, static_cast<QLabel*>(&emailLink_),
        static_cast<QLabel*>(&webLink_), static_cast<QLabel*>(&secondWebLink_)})
    FitLabelWidth(*label);
  ok_.setFocus();
}

void CAboutDlg::OpenLink(const QUrl& url) {
  const std::string problem = OpenLocalDocument(openUrl_, url, "page");
  if (problem.empty()) return;
  QMessageBox box(QMessageBox::Warning, QStringLiteral("Message"), QString::fromStdString(problem),
                  QMessageBox::Ok, this);
  box.setTextInteractionFlags(Qt::TextSelectableByMouse);
  box.exec();
}

LinkLabel& CAboutDlg::Link(int controlId) {
  if (controlId == kEmailLinkId) return emailLink_;
  if (controlId == kWebLinkId) return webLink_;
  return secondWebLink_;
}

}  // namespace skerrow::ui
