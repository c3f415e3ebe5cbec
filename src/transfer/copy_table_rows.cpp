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

namespace skerrow {

namespace {

std::string SourceReason(const SourceError& error) {
  if (error.Description() && !error.Description()->empty()) return *error.Description();
  return error.SystemMessage();
}

// The work of one call: the table's names, its counters and where it stands.
class TableCopy {
 public:
  TableCopy(const TableJob& job, const std::string& sourceTable, const std::string& targetTable,
            TableColumnLists& lists, TableReport& report)
      : job_(job),
        source_(job.source),
        target_(job.target),
        window_(job.window),
        options_(job.options),
        database_(job.database),
        sourceTable_(sourceTable),
        targetTable_(targetTable),
        lists_(lists),
        report_(report),
        progress_(job.window, targetTable) {}

  void Run() {
    std::optional<std::vector<std::string>> columns = SelectedColumns();
    const std::string query = RowQuery(lists_.SourceSelectList, job_.owner, sourceTable_);
    // The table creation step appends the next table's expressions to this list.
    lists_.SourceSelectList.clear();

    if (!columns) {
      EndUnread("The column list of the table could not be read: " + lists_.TargetColumnList);
      return;
    }
    if (!UseStrictMode()) return;

    RowArray block;
    try {
      source_.Execute(query);
      // Fails when the query left no result to read rows from.
      static_cast<void>(source_.FieldCount());
      if (!source_.EndOfRows()) block = FetchBlock();
    } catch (const SourceError& error) {
      if (error.Code() == kCodeNoCurrentRecord)
        EndUnread(std::nullopt);  // a table without rows
      else
        EndUnread("The rows could not be read from the source: " + SourceReason(error));
      return;
    }

    window_.CountConvertedTable();
    const std::unique_ptr<RowWriter> writer = MakeWriter(*columns);
    if (!CopyBlocks(*writer, std::move(block))) return;  // the connection is gone
    if (!SetSkippedColumns()) return;
    if (report_.abandoned) return;  // an abandoned table shows no summary and no step
    window_.ShowTableConverted();
  }

 private:
  // The names the type mapping recorded; a caller that only filled the quoted list gets
  // it split.
  std::optional<std::vector<std::string>> SelectedColumns() const {
    if (!lists_.SelectedColumnNames.empty() || lists_.TargetColumnList.empty())
      return lists_.SelectedColumnNames;
    return SplitQuotedNameList(lists_.TargetColumnList);
  }

  RowArray FetchBlock() {
    RowArray block = source_.GetRows(options_.fetchRows);
    report_.rowsRead += static_cast<std::int64_t>(block.RowCount());
    if (options_.onRowsFetched) options_.onRowsFetched(block.RowCount());
    return block;
  }

  std::unique_ptr<RowWriter> MakeWriter(const std::vector<std::string>& columns) const {
    std::string prefix = InsertPrefix(database_, targetTable_, columns);
    // Without the strict mode a multi-row INSERT stores a null given to a NOT NULL column as
    // the column's default, where the single-row INSERT refuses the row.
    if (options_.writeMode == RowWriteMode::OneStatementPerRow || !strict_)
      return std::make_unique<SingleRowWriter>(target_, std::move(prefix), report_);
    return std::make_unique<BatchedRowWriter>(
        target_, std::move(prefix), RowCountQuery(database_, targetTable_),
        options_.maxStatementBytes, options_.maxStatementRows, report_);
  }

  // False when the connection was lost; a row that cannot be built abandons the rest of the
  // table after the operator has seen why.
  bool CopyBlocks(RowWriter& writer, RowArray block) {
    const SqlEscaper escape = [this](std::string_view text) { return target_.EscapeString(text); };
    std::string values;
    std::int64_t rowsShown = 0;
    bool fetching = false;
    try {
      for (;;) {
        for (std::size_t row = 0; row < block.RowCount(); ++row) {
          const std::int64_t sourceRow = rowsTaken_ + 1;
          const std::optional<std::string> refusal =
              BuildValues(block, row, sourceRow, escape, values);
          const bool connected =
              refusal ? writer.Reject(sourceRow, *refusal) : writer.Add(values, sourceRow);
          if (!connected) return ConnectionLost(writer);
          ++rowsTaken_;
          // Rows still on their way do not count yet.
          if (writer.RowsDone() != rowsShown) progress_.RowSent(rowsShown = writer.RowsDone());
        }
        block = RowArray();  // free this block before the next one arrives
        if (source_.EndOfRows()) break;
        if (std::optional<std::string> reason = StopReason()) return StopHere(writer, *reason);
        fetching = true;
        block = FetchBlock();
        fetching = false;
      }
    } catch (const SourceError& error) {
      // The rows before the one that failed are copied, as if each had been sent at once.
      if (!writer.Flush()) return ConnectionLost(writer);
      progress_.Finish(writer.RowsDone());
      window_.ShowCopyFailure(FormatSourceError(error));
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

  std::optional<std::string> StopReason() const {
    return options_.stopReason ? options_.stopReason() : std::nullopt;
  }

  // The run ends this table before its next block: the rows handed over so far are written.
  bool StopHere(RowWriter& writer, const std::string& reason) {
    if (!writer.Flush()) return ConnectionLost(writer);
    progress_.Finish(writer.RowsDone());
    report_.abandoned =
        reason + "; " + std::to_string(report_.rowsWritten) + " of this table's rows were written.";
    return true;
  }

  // The row's values joined by ","; or why the row cannot be written at all. Values a DOUBLE
  // column cannot hold exactly are counted in the report as they are rendered.
  std::optional<std::string> BuildValues(const RowArray& block, std::size_t row,
                                         std::int64_t sourceRow, const SqlEscaper& escape,
                                         std::string& values) {
    static const std::string kNoType;
    values.clear();
    std::optional<std::string> refusal;
    for (std::size_t column = 0; column < block.FieldCount(); ++column) {
      if (column > 0) values.push_back(',');
      const std::string& type =
          column < lists_.TextColumnTypes.size() ? lists_.TextColumnTypes[column] : kNoType;
      const ValueForm form =
          column < lists_.ValueForms.size() ? lists_.ValueForms[column] : ValueForm::Default;
      const Variant& value = block.At(column, row);
      RenderedValue rendered = RenderColumnValue(value, form, type, escape);
      if (rendered.refusal && !refusal)
        refusal = "column " + ColumnName(column) + " cannot be written: " + *rendered.refusal;
      if (rendered.storedAs)
        report_.roundedValues.Add(
            {ColumnName(column), sourceRow, value.Data(), std::move(*rendered.storedAs)});
      values += rendered.text;
    }
    return refusal;
  }

  std::string ColumnName(std::size_t column) const {
    return column < lists_.SelectedColumnNames.size() ? lists_.SelectedColumnNames[column]
                                                      : "#" + std::to_string(column + 1);
  }

  // Once per table, after its rows: the source query leaves these columns out.
  bool SetSkippedColumns() {
    if (!lists_.HasSkippedColumns) return true;
    for (const std::string& column : lists_.SkippedColumnNames) {
      if (column.empty()) continue;
      if (target_.Query(SkippedColumnUpdate(database_, targetTable_, column))) continue;
      if (target_.LastErrorLostConnection()) {
        ConnectionLost(target_.LastErrorMessage(), 0);
        return false;
      }
      KeepRefusalMessage(report_, "Column " + column + " could not be set to the empty text: " +
                                      target_.LastErrorMessage());
    }
    return true;
  }

  bool UseStrictMode() {
    strict_ = target_.Query(kStrictModeStatement);
    if (strict_) return true;
    if (target_.LastErrorLostConnection()) {
      ConnectionLost(target_.LastErrorMessage(), 0);
      return false;
    }
    KeepRefusalMessage(report_,
                       "The strict SQL mode could not be set, so the server may have cut values "
                       "too long for their column: " +
                           target_.LastErrorMessage());
    return true;
  }

  // The table ends before its first row: it counts as converted with 0 rows.
  void EndUnread(std::optional<std::string> reason) {
    window_.SetProgressTitle(RowCaption(targetTable_, 0));
    window_.OnTableRowsProgress(targetTable_, 0);
    window_.CountConvertedTable();
    window_.ShowTableConverted();
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

  const TableJob& job_;
  SourceConnection& source_;
  TargetConnection& target_;
  RowCopyWindow& window_;
  const RowCopyOptions& options_;
  const std::string& database_;
  const std::string& sourceTable_;
  const std::string& targetTable_;
  TableColumnLists& lists_;
  TableReport& report_;
  RowProgress progress_;
  bool strict_ = false;
  // Rows taken from the source and handed to the writer.
  std::int64_t rowsTaken_ = 0;
};

}  // namespace

void CopyTableRows(const TableJob& job, const std::string& sourceTable,
                   const std::string& targetTable, TableColumnLists& lists, TableReport& report) {
  TableCopy(job, sourceTable, targetTable, lists, report).Run();
}

}  // namespace skerrow
