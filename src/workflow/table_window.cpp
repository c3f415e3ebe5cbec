#include "workflow/table_window.h"

#include "text/ascii.h"
#include "transfer/row_statements.h"
#include "workflow/control_ids.h"

namespace skerrow {

namespace {

constexpr const char* kApplicationName = "skerrow";

}  // namespace

TableWindow::TableWindow(ConversionState& state, WizardWindow& window)
    : state_(state), window_(window), selectedTables_(state.SelectedTableCount) {}

void TableWindow::SetProgressTitle(const std::string& text) {
  window_.SetProgressTitle(text);
}

void TableWindow::OnTableRowsProgress(const std::string& targetTable, std::int64_t rows) {
  state_.Journal.TableRows(targetTable, rows);
  window_.OnTableRowsProgress(targetTable, rows);
}

void TableWindow::CountConvertedTable() {
  ++state_.ConvertedTableCount;
}

void TableWindow::ShowTableConverted() {
  window_.ShowTablesConverted(state_.ConvertedTableCount, selectedTables_);
  window_.StepTablesProgress();
}

void TableWindow::ShowCopyFailure(const std::string& text) {
  MessageRequest message;
  message.text = text;
  message.caption = kApplicationName;
  message.icon = MessageIcon::Warning;
  message.buttons = MessageButtons::Ok;
  message.kind = MessageKind::Error;
  window_.ShowMessage(message);
}

TableJob MakeTableJob(ConversionState& state, WizardWindow& window, RowCopyWindow& tableWindow) {
  return MakeTableJob(state, window, tableWindow, state.Source, state.Target);
}

TableJob MakeTableJob(ConversionState& state, WizardWindow& window, RowCopyWindow& tableWindow,
                      SourceConnection& source, TargetConnection& target) {
  RowCopyOptions options;
  if (state.OneStatementPerRow) options.writeMode = RowWriteMode::OneStatementPerRow;
  return TableJob{source,
                  target,
                  SourceOwner(window.GetControlText(kOracleUserEdit)),
                  text::TrimWhiteSpace(window.GetControlText(kDestinationNameEdit)),
                  std::move(options),
                  tableWindow};
}

}  // namespace skerrow
