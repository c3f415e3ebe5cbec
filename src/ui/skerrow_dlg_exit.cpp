// The about box, the help document and the exit flow.
#include <QFileInfo>

#include "ui/about_dialog.h"
#include "ui/local_documents.h"
#include "ui/skerrow_dlg.h"

namespace skerrow::ui {

void CSkerrowDlg::OpenAboutBox() {
  CAboutDlg about(*this, openUrl_);
  about.exec();
}

void CSkerrowDlg::OpenHelpFile() {
  const QString path = ProgramDocumentPath(kHelpDocumentName);
  if (!QFileInfo::exists(path)) {
    // Saying so beats a Help command that silently does nothing.
    MessageRequest missing;
    missing.text = "The help document could not be found: " + path.toStdString();
    missing.caption = "Message";
    missing.icon = MessageIcon::Warning;
    missing.kind = MessageKind::Error;
    ShowMessage(missing);
    return;
  }
  openUrl_(HelpDocumentUrl());
}

MessageAnswer CSkerrowDlg::AskExitQuestion() {
  MessageRequest question;
  question.text = "Do you want to exit from Veltrano Database Converter - Skerrow?";
  question.caption = "Message";
  question.icon = MessageIcon::Question;
  question.buttons = MessageButtons::YesNo;
  question.kind = MessageKind::ExitQuestion;
  return ShowMessage(question);
}

void CSkerrowDlg::RequestExit() {
  if (AskExitQuestion() != MessageAnswer::Yes) return;
  openUrl_(MakerPageUrl("goodbye"));
  if (state_.RunInProgress) {
    // A worker may still be inside a statement: it is not waited for, and the connection it
    // may be using is not touched from here; ending the process ends both.
    endProcess_(std::move(state_.WorkerThread));
  } else {
    // A finished run's thread is only waiting to be joined; an unjoined thread would end the
    // process abnormally when the state is destroyed.
    if (state_.WorkerThread.joinable()) state_.WorkerThread.join();
    state_.Target.Close();
  }
  exitConfirmed_ = true;
  done(QDialog::Rejected);
}

}  // namespace skerrow::ui
