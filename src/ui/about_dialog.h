#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

#include "ui/link_label.h"
#include "ui/local_documents.h"

namespace skerrow::ui {

// The about box: product title, version, notice, the support address and two web links. The
// links open sections of the local maker page through `openUrl`; when nothing opens it, a
// message over the box gives the page's path.
class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kEmailLabelId = 1028;
  static constexpr int kEmailLinkId = 1041;
  static constexpr int kWebLinkId = 1042;
  static constexpr int kSecondWebLinkId = 1033;

  CAboutDlg(QWidget& parent, UrlOpener openUrl);

  LinkLabel& Link(int controlId);
  QPushButton& OkButton() { return ok_; }

 private:
  void OpenLink(const QUrl& url);

  UrlOpener openUrl_;
  QLabel logo_;
  QLabel title_;
  QLabel version_;
  QLabel notice_;
  QLabel emailLabel_;
  LinkLabel emailLink_;
  LinkLabel webLink_;
  LinkLabel secondWebLink_;
  QPushButton ok_;
};

}  // namespace skerrow::ui
