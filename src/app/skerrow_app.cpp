#include "app/skerrow_app.h"

#include <QApplication>
#include <QScreen>

#include "ui/artwork.h"
#include "ui/skerrow_dlg.h"
#include "workflow/conversion_state.h"

namespace skerrow {

int CSkerrowApp::InitInstance(int argc, char** argv) {
  QApplication application(argc, argv);
  // Message boxes without a caption of their own carry the program file's base name, which
  // QApplication takes from argv[0].
  application.setWindowIcon(ui::ProgramIcon());

  ConversionState state;
  ui::CSkerrowDlg window(state);
  if (QScreen* screen = window.screen()) {
    const QRect available = screen->availableGeometry();
    window.move(available.center() - window.rect().center());
  }
  window.exec();
  // The window has closed: a worker ends before the window and the state it uses do.
  window.ReleaseWorker();
  return 0;
}

}  // namespace skerrow
