#include "transfer/copy_table_rows.h"

#include <optional>
#include <utility>
#include <vector>

#include "db/source_error.h"
#include "transfer/render_value.h"
#include "transfer/row_insertion.h"
#include "transfer/row_progress.h"
#include "transfer/row_statements.h"
#include "workflow/control_ids.h"

namespace skerrow {

namespace {

constexpr const char* kApplicationName = "skerrow";

std::string TrimWhiteSpace(const std::string& text) {
  constexpr const char* kWhiteSpace = " \t\n\v\f\r";
  const auto first = text.find_first_not_of(kWhiteSpace);
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(kWhiteSpace) - first + 1);
}

std::string SourceReason(const SourceError& error) {
  if (error.Description() && !error.Description()->empty()) return *error.Description();
  return error.SystemMessage();
}

// The work of one call: the table's names, its counters and where it stands.
class TableCopy {
 public:
  TableCopy(ConversionState& state, WizardWindow& window, const std::string& sourceTable,
            const std::string& targetTable, TableReport& report, const RowCopyOptions& options)
      : state_(state),
        window_(window),
        sourceTable_(sourceTable),
        targetTable_(targetTable),
        report_(report),
        options_(options),
        selectedTables_(state.SelectedTableCount),
        progress_(window, targetTable) {}

  void Run() {
    const std::string owner = SourceOwner(window_.GetControlText(kOracleUserEdit));
    database_ = TrimWhiteSpace(window_.GetControlText(kDestinationNameEdit));
    std::optional<std::vector<std::string>> columns = SelectedColumns();
    const std::string query = RowQuery(state_.SourceSelectList, owner, sourceTable_);
    // The table creation step appends the next table's expressions to this list.
    state_.SourceSelectList.clear();

    if (!columns) {
      EndUnread("The column list of the table could not be read: " + state_.TargetColumnList);
      return;
    }
    if (!UseStrictMode()) return;

    RowArray block;
    try {
      state_.Source.Execute(query);
      // Fails when the query left no result to read rows from.
      static_cast<void>(state_.Source.FieldCount());
      if (!state_.Source.EndOfRows()) block = FetchBlock();
    } catch (const SourceError& error) {
      if (error.Code() == kCodeNoCurrentRecord)
        EndUnread(std::nullopt);  // a table without rows
      else
        EndUnread("The rows could not be read from the source: " + SourceReason(error));
      return;
    }

    ++state_.ConvertedTableCount;
    RowInserter inserter(state_.Target, InsertPrefix(database_, targetTable_, *columns), report_);
    if (!CopyBlocks(inserter, std::move(block))) return;  // the connection is gone
    if (!SetSkippedColumns()) return;
    progress_.Finish(rowsSent_);
    if (report_.abandoned) return;  // an abandoned table shows no summary and no step
    window_.ShowTablesConverted(state_.ConvertedTableCount, selectedTables_);
    window_.StepTablesProgress();
  }

 private:
  // The names the type mapping recorded; a caller that only filled the quoted list gets
  // it split.
  std::optional<std::vector<std::string>> SelectedColumns() const {
    if (!state_.SelectedColumnNames.empty() || state_.TargetColumnList.empty())
      return state_.SelectedColumnNames;
    return SplitQuotedNameList(state_.TargetColumnList);
  }

  RowArray FetchBlock() {
    RowArray block = state_.Source.GetRows(options_.fetchRows);
    report_.rowsRead += static_cast<std::int64_t>(block.RowCount());
    if (options_.onRowsFetched) options_.onRowsFetched(block.RowCount());
    return block;
  }

  // False when the connection was lost; a row that cannot be built abandons the rest of the
  // table after the operator has seen why.
  bool CopyBlocks(RowInserter& inserter, RowArray block) {
    const SqlEscaper escape = [this](std::string_view text) {
      return state_.Target.EscapeString(text);
    };
    std::string values;
    bool fetching = false;
    try {
      for (;;) {
        for (std::size_t row = 0; row < block.RowCount(); ++row) {
          BuildValues(block, row, escape, values);
          if (inserter.Send(values, rowsSent_ + 1) == RowOutcome::ConnectionLost) {
            ConnectionLost();
            return false;
          }
          ++rowsSent_;
          progress_.RowSent(rowsSent_);
        }
        block = RowArray();  // free this block before the next one arrives
        if (state_.Source.EndOfRows()) break;
        fetching = true;
        block = FetchBlock();
        fetching = false;
      }
    } catch (const SourceError& error) {
      progress_.Finish(rowsSent_);
      MessageRequest message;
      message.text = FormatSourceError(error);
      message.caption = kApplicationName;
      message.icon = MessageIcon::Warning;
      message.buttons = MessageButtons::Ok;
      window_.ShowMessage(message);
      report_.abandoned = "The copy stopped at source row " + std::to_string(rowsSent_ + 1) +
                          (fetching ? ", which could not be read from the source: "
                                    : ", which could not be converted: ") +
                          SourceReason(error) + " The rows before it were copied.";
    }
    return true;
  }

  void BuildValues(const RowArray& block, std::size_t row, const SqlEscaper& escape,
                   std::string& values) const {
    static const std::string kNoType;
    values.clear();
    for (std::size_t column = 0; column < block.FieldCount(); ++column) {
      if (column > 0) values.push_back(',');
      const std::string& type =
          column < state_.TextColumnTypes.size() ? state_.TextColumnTypes[column] : kNoType;
      values += RenderValue(block.At(column, row), type, escape);
    }
  }

  // Once per table, after its rows: the source query leaves these columns out.
  bool SetSkippedColumns() {
    if (!state_.HasSkippedColumns) return true;
    for (const std::string& column : state_.SkippedColumnNames) {
      if (column.empty()) continue;
      if (state_.Target.Query(SkippedColumnUpdate(database_, targetTable_, column))) continue;
      if (state_.Target.LastErrorLostConnection()) {
        ConnectionLost();
        return false;
      }
      KeepRefusalMessage(report_, "Column " + column + " could not be set to the empty text: " +
                                      state_.Target.LastErrorMessage());
    }
    return true;
  }

  bool UseStrictMode() {
    if (state_.Target.Query(kStrictModeStatement)) return true;
    if (state_.Target.LastErrorLostConnection()) {
      ConnectionLost();
      return false;
    }
    KeepRefusalMessage(report_,
                       "The strict SQL mode could not be set, so the server may have cut values "
                       "too long for their column: " +
                           state_.Target.LastErrorMessage());
    return true;
  }

  // The table ends before its first row: it counts as converted with 0 rows.
  void EndUnread(std::optional<std::string> reason) {
    window_.SetProgressTitle(RowCaption(targetTable_, 0));
    window_.OnTableRowsProgress(targetTable_, 0);
    ++state_.ConvertedTableCount;
    window_.ShowTablesConverted(state_.ConvertedTableCount, selectedTables_);
    window_.StepTablesProgress();
    if (reason) report_.abandoned = std::move(reason);
  }

  void ConnectionLost() {
    progress_.Finish(rowsSent_);
    report_.connectionLost = true;
    report_.abandoned = "The connection to MySQL was lost during table " + targetTable_ + " (" +
                        state_.Target.LastErrorMessage() + "); " +
                        std::to_string(report_.rowsWritten) + " of its rows were written.";
  }

  ConversionState& state_;
  WizardWindow& window_;
  const std::string& sourceTable_;
  const std::string& targetTable_;
  TableReport& report_;
  const RowCopyOptions& options_;
  const std::int32_t selectedTables_;
  RowProgress progress_;
  std::string database_;
  std::int64_t rowsSent_ = 0;
};

}  // namespace

void CopyTableRows(ConversionState& state, WizardWindow& window, const std::string& sourceTable,
                   const std::string& targetTable, TableReport& report) {
  CopyTableRows(state, window, sourceTable, targetTable, report, RowCopyOptions{});
}

void CopyTableRows(ConversionState& state, WizardWindow& window, const std::string& sourceTable,
                   const std::string& targetTable, TableReport& report,
                   const RowCopyOptions& options) {
  TableCopy(state, window, sourceTable, targetTable, report, options).Run();
}

}  // namespace skerrow
