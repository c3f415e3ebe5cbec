#include "transfer/copy_table_rows.h"

#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "db/source_error.h"
#include "transfer/batched_row_writer.h"
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
    const std::unique_ptr<RowWriter> writer = MakeWriter(*columns);
    if (!CopyBlocks(*writer, std::move(block))) return;  // the connection is gone
    if (!SetSkippedColumns()) return;
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

  std::unique_ptr<RowWriter> MakeWriter(const std::vector<std::string>& columns) const {
    std::string prefix = InsertPrefix(database_, targetTable_, columns);
    // Without the strict mode a multi-row INSERT stores a null given to a NOT NULL column as
    // the column's default, where the single-row INSERT refuses the row.
    if (options_.writeMode == RowWriteMode::OneStatementPerRow || !strict_)
      return std::make_unique<SingleRowWriter>(state_.Target, std::move(prefix), report_);
    return std::make_unique<BatchedRowWriter>(
        state_.Target, std::move(prefix), RowCountQuery(database_, targetTable_),
        options_.maxStatementBytes, options_.maxStatementRows, report_);
  }

  // False when the connection was lost; a row that cannot be built abandons the rest of the
  // table after the operator has seen why.
  bool CopyBlocks(RowWriter& writer, RowArray block) {
    const SqlEscaper escape = [this](std::string_view text) {
      return state_.Target.EscapeString(text);
    };
    std::string values;
    std::int64_t rowsShown = 0;
    bool fetching = false;
    try {
      for (;;) {
        for (std::size_t row = 0; row < block.RowCount(); ++row) {
          BuildValues(block, row, escape, values);
          if (!writer.Add(values, rowsTaken_ + 1)) return ConnectionLost(writer);
          ++rowsTaken_;
          // Rows still on their way do not count yet.
          if (writer.RowsDone() != rowsShown) progress_.RowSent(rowsShown = writer.RowsDone());
        }
        block = RowArray();  // free this block before the next one arrives
        if (state_.Source.EndOfRows()) break;
        fetching = true;
        block = FetchBlock();
        fetching = false;
      }
    } catch (const SourceError& error) {
      // The rows before the one that failed are copied, as if each had been sent at once.
      if (!writer.Flush()) return ConnectionLost(writer);
      progress_.Finish(writer.RowsDone());
      MessageRequest message;
      message.text = FormatSourceError(error);
      message.caption = kApplicationName;
      message.icon = MessageIcon::Warning;
      message.buttons = MessageButtons::Ok;
      window_.ShowMessage(message);
      report_.abandoned = "The copy stopped at source row " + std::to_string(rowsTaken_ + 1) +
                          (fetching ? ", which could not be read from the source: "
                                    : ", which could not be converted: ") +
                          SourceReason(error) + " The rows before it were copied.";
      return true;
    }
    if (!writer.Flush()) return ConnectionLost(writer);
    progress_.Finish(writer.RowsDone());
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
        ConnectionLost(state_.Target.LastErrorMessage(), 0);
        return false;
      }
      KeepRefusalMessage(report_, "Column " + column + " could not be set to the empty text: " +
                                      state_.Target.LastErrorMessage());
    }
    return true;
  }

  bool UseStrictMode() {
    strict_ = state_.Target.Query(kStrictModeStatement);
    if (strict_) return true;
    if (state_.Target.LastErrorLostConnection()) {
      ConnectionLost(state_.Target.LastErrorMessage(), 0);
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

  bool ConnectionLost(const RowWriter& writer) {
    progress_.Finish(writer.RowsDone());
    ConnectionLost(writer.LostConnectionMessage(), writer.RowsInDoubt());
    return false;
  }

  // `rowsInDoubt`: rows of the statement the connection was lost on, which the server may
  // have stored before it went.
  void ConnectionLost(const std::string& serverMessage, std::int64_t rowsInDoubt) {
    report_.connectionLost = true;
    std::string text = "The connection to MySQL was lost during table " + targetTable_ + " (" +
                       serverMessage + "); " + std::to_string(report_.rowsWritten) +
                       " of its rows were written.";
    if (rowsInDoubt > 1) {
      const std::int64_t first = report_.rowsWritten + report_.rowsRefused + 1;
      text += " Rows " + std::to_string(first) + " to " + std::to_string(first + rowsInDoubt - 1) +
              " were on their way; the server may have stored some of them.";
    }
    report_.abandoned = std::move(text);
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
  bool strict_ = false;
  // Rows taken from the source and handed to the writer.
  std::int64_t rowsTaken_ = 0;
};

}  // namespace

void CopyTableRows(ConversionState& state, WizardWindow& window, const std::string& sourceTable,
                   const std::string& targetTable, TableReport& report) {
  RowCopyOptions options;
  if (state.OneStatementPerRow) options.writeMode = RowWriteMode::OneStatementPerRow;
  CopyTableRows(state, window, sourceTable, targetTable, report, options);
}

void CopyTableRows(ConversionState& state, WizardWindow& window, const std::string& sourceTable,
                   const std::string& targetTable, TableReport& report,
                   const RowCopyOptions& options) {
  TableCopy(state, window, sourceTable, targetTable, report, options).Run();
}

}  // namespace skerrow
