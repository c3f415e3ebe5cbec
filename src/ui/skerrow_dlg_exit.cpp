// The about box, the help document and the exit flow.
#include <chrono>

#include "ui/about_dialog.h"
#include "ui/local_documents.h"
#include "ui/skerrow_dlg.h"
#include "workflow/run_report_file.h"

namespace skerrow::ui {

namespace {

MessageRequest Warning(std::string text) {
  MessageRequest message;
  message.text = std::move(text);
  message.caption = "Message";
  message.icon = MessageIcon::Warning;
  message.kind = MessageKind::Error;
  return message;
}

}  // namespace

void CSkerrowDlg::OpenAboutBox() {
  CAboutDlg about(*this, openUrl_);
  about.exec();
}

void CSkerrowDlg::OpenDocument(const QUrl& url, const std::string& what) {
  // Saying so beats a command that silently does nothing.
  const std::string problem = OpenLocalDocument(openUrl_, url, what);
  if (!problem.empty()) ShowMessage(Warning(problem));
}

void CSkerrowDlg::OpenHelpFile() {
  OpenDocument(HelpDocumentUrl(), "help document");
}

MessageAnswer CSkerrowDlg::AskExitQuestion(const std::string& text) {
  MessageRequest question;
  question.text = text;
  question.caption = "Message";
  question.icon = MessageIcon::Question;
  question.buttons = MessageButtons::YesNo;
  question.kind = MessageKind::ExitQuestion;
  // The run's own boxes wait until this is answered (its display goes on meanwhile).
  QuestionGate::Held held(exitQuestion_);
  return ShowMessage(question);
}

std::string CSkerrowDlg::RunExitQuestion() const {
  const std::string table = state_.Journal.TableInProgress();
  const std::string question =
      table.empty() ? "A conversion is in progress. Exit now and leave it incomplete?"
                    : "A conversion is in progress (table " + table +
                          "). Exit now and leave table " + table + " incomplete?";
  const std::filesystem::path report = LastRunReportPath();
  if (report.empty()) return question;
  return question + "\n\nThe report of the interrupted run will be written to " + report.string() +
         ".";
}

void CSkerrowDlg::LeaveReportOfInterruptedRun() {
  const std::optional<RunReport> report =
      state_.Journal.InterruptedReport(std::chrono::system_clock::now(), "the program was ended");
  if (!report) return;
  const std::filesystem::path path = LastRunReportPath();
  if (const auto failure = WriteLastRunReport(*report, path))
    ShowMessage(Warning("The report of the interrupted run could not be written" +
                        (path.empty() ? std::string() : " to " + path.string()) + ": " + *failure));
}

void CSkerrowDlg::RequestExit() {
  // From the question to the end: once the operator has said Yes, no box of the run (its
  // completion message) comes up any more.
  QuestionGate::Held held(exitQuestion_);
  const bool running = state_.RunInProgress;
  if (AskExitQuestion(running
                          ? RunExitQuestion()
                          : "Do you want to exit from Veltrano Database Converter - Skerrow?") !=
      MessageAnswer::Yes)
    return;
  OpenDocument(MakerPageUrl("goodbye"), "page");
  // The table in progress stays half-filled: the report says so where it can be read later.
  // Taken last, just before the worker is abandoned, it tells how far the run really got.
  if (state_.RunInProgress) LeaveReportOfInterruptedRun();
  ReleaseWorker();
  exitConfirmed_ = true;
  done(QDialog::Rejected);
}

void CSkerrowDlg::ReleaseWorker() {
  if (state_.RunInProgress) {
    // A worker may still be inside a statement, or waiting for this window: it is not waited
    // for, and the connection it may be using is not touched from here; ending the process
    // ends both.
    endProcess_(std::move(state_.WorkerThread));
    return;
  }
  // A finished run's thread is only waiting to be joined; an unjoined thread would end the
  // process abnormally when the state is destroyed.
  if (state_.WorkerThread.joinable()) state_.WorkerThread.join();
  state_.Target.Close();
}

}  // namespace skerrow::ui
