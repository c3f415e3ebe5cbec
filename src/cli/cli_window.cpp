#include "cli/cli_window.h"

#include "text/ascii.h"
#include "workflow/control_ids.h"

namespace skerrow::cli {
namespace {

void PrintMessage(std::ostream& stream, const MessageRequest& request) {
  stream << request.text << '\n';
  // The end of a run lists its failures in the text, and the per-table report its details
  // hold is printed after the run (unless --quiet); other details may be in the text already.
  const bool detailsShown = EndsARun(request.kind) || request.text.ends_with(request.details);
  if (!detailsShown) {
    stream << request.details;
    if (request.details.back() != '\n') stream << '\n';
  }
  stream << std::flush;
}

}  // namespace

CliWindow::CliWindow(std::ostream& out, std::ostream& err, CliWindowSettings settings)
    : out_(out),
      err_(err),
      settings_(settings),
      progress_(out, settings.terminal, settings.severalTables) {}

std::string CliWindow::GetControlText(int controlId) {
  const auto field = fields_.find(controlId);
  return field == fields_.end() ? std::string() : field->second;
}

void CliWindow::SetControlText(int controlId, const std::string& text) {
  fields_[controlId] = text;
}

bool CliWindow::IsTableItemChecked(int index) {
  return index >= 0 && static_cast<std::size_t>(index) < checks_.size() &&
         checks_[static_cast<std::size_t>(index)];
}

void CliWindow::ResetTableList(int) {
  tableItems_.clear();
  checks_.clear();
}

void CliWindow::AddTableItem(const std::string& name) {
  tableItems_.push_back(name);
  checks_.push_back(false);
}

void CliWindow::ShowSelectionPage(const std::string& defaultDatabaseName) {
  SetControlText(kDestinationNameEdit, defaultDatabaseName);
  selectionPageShown_ = true;
}

void CliWindow::ClearTableChecks() {
  checks_.assign(checks_.size(), false);
}

void CliWindow::SetTablesProgressRange(int total) {
  progress_.Start(total);
  snapshot_.Begin(text::TrimWhiteSpace(GetControlText(kDestinationNameEdit)), tableItems_);
}

void CliWindow::ShowProgressPanel() {
  progressPanelShown_ = true;
}

void CliWindow::EndRunDisplay(bool) {
  if (!settings_.quiet) progress_.Finish();
}

MessageAnswer CliWindow::ShowMessage(const MessageRequest& request) {
  if (!settings_.quiet) progress_.Finish();
  if (request.kind == MessageKind::ReplaceQuestion) return AnswerReplaceQuestion(request);
  if (request.buttons == MessageButtons::YesNo) {
    // No other question has an answer on the command line; No changes nothing.
    err_ << request.text << " No\n" << std::flush;
    return MessageAnswer::No;
  }
  if (request.kind != MessageKind::Completed) {
    PrintMessage(err_, request);
  } else if (!settings_.quiet) {
    // The report table printed after the run shows the notes its details hold.
    out_ << request.text << '\n' << std::flush;
  }
  return MessageAnswer::Ok;
}

MessageAnswer CliWindow::AnswerReplaceQuestion(const MessageRequest& request) {
  if (settings_.overwrite) {
    if (!settings_.quiet) out_ << request.text << " Yes (--overwrite)\n" << std::flush;
    return MessageAnswer::Yes;
  }
  overwriteDeclined_ = true;
  err_ << request.text << " No\n"
       << "The database `" << GetControlText(kDestinationNameEdit)
       << "` already exists on the MySQL server and was left untouched. Give --overwrite to "
          "replace it, or --database to name another one.\n"
       << std::flush;
  return MessageAnswer::No;
}

void CliWindow::OnTableStarted(const std::string& sourceTable) {
  snapshot_.TableStarted(sourceTable);
}

void CliWindow::OnTableRowsProgress(const std::string& targetTable, std::int64_t rows) {
  if (!settings_.quiet) progress_.TableRows(targetTable, rows);
}

void CliWindow::OnTableFinished(const TableReport& report) {
  snapshot_.TableFinished(report);
  if (!settings_.quiet) progress_.TableFinished(report);
}

}  // namespace skerrow::cli
