#include "transfer/verify_table_rows.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <utility>

#include "db/source_error.h"
#include "text/ascii.h"
#include "transfer/row_comparison.h"
#include "transfer/row_statements.h"
#include "transfer/target_query.h"
#include "transfer/verify_record.h"

namespace skerrow {

namespace {

constexpr std::int64_t kProgressRows = 4096;

std::string SourceReason(const SourceError& error) {
  if (error.Description() && !error.Description()->empty()) return *error.Description();
  return error.SystemMessage();
}

// The columns as the comparison sees them, with what the source side needs besides.
struct TableColumns {
  ComparedColumns compared;
  std::vector<ValueForm> forms;
};

// Builds the records of one side from its values, one row at a time.
class RecordBuilder {
 public:
  explicit RecordBuilder(const TableColumns& columns)
      : columns_(columns), keyValues_(columns.compared.names.size()) {}

  void Begin(RowRecord& record) {
    record.key.clear();
    record.row.clear();
    record.extra.clear();
  }
  void Add(RowRecord& record, std::size_t column, CanonicalValue value) {
    EncodeRowValue(record.row, value);
    keyValues_[column] = std::move(value);
  }
  void End(RowRecord& record) {
    for (std::size_t column : columns_.compared.keyPositions)
      AppendOrderedKey(record.key, keyValues_[column], columns_.compared.classes[column]);
  }

 private:
  const TableColumns& columns_;
  std::vector<CanonicalValue> keyValues_;
};

// The source rows of the row query, each as the canonical values the conversion writes.
class SourceRecords : public RecordStream {
 public:
  SourceRecords(SourceConnection& source, const std::string& query, long fetchRows,
                const TableColumns& columns)
      : source_(source), fetchRows_(fetchRows), columns_(columns), builder_(columns) {
    int fields = 0;
    try {
      source_.Execute(query);
      fields = source_.FieldCount();
    } catch (const SourceError& error) {
      // The source's way of saying that the table has no rows.
      if (error.Code() != kCodeNoCurrentRecord) throw;
      empty_ = true;
      return;
    }
    if (fields < 0 || static_cast<std::size_t>(fields) != columns_.compared.names.size())
      throw SourceError(std::string("Skerrow"), kCodeInvalidArgument,
                        "The row query gave " + std::to_string(fields) + " columns instead of " +
                            std::to_string(columns_.compared.names.size()) + ".");
  }

 protected:
  bool Pull(RowRecord& record) override {
    if (empty_) return false;
    if (next_ == block_.RowCount()) {
      block_ = RowArray();  // free this block before the next one arrives
      next_ = 0;
      if (source_.EndOfRows()) return false;
      block_ = source_.GetRows(fetchRows_);
      if (block_.RowCount() == 0) return false;
    }
    Build(record, next_++);
    return true;
  }

 private:
  void Build(RowRecord& record, std::size_t row) {
    builder_.Begin(record);
    SourceRowNotes notes;
    for (std::size_t column = 0; column < block_.FieldCount(); ++column) {
      const Variant& value = block_.At(column, row);
      const ColumnClass columnClass = columns_.compared.classes[column];
      const std::string& name = columns_.compared.names[column];
      WrittenValue written;
      try {
        written = WriteColumnValue(value, columns_.forms[column]);
      } catch (const SourceError& error) {
        written.refusal = SourceReason(error);
      }
      if (!written.refusal && value.Kind() == VariantKind::Date && !value.AsDate().IsValid() &&
          columnClass == ColumnClass::DateTime)
        written.refusal = "its date cannot be split into a calendar day of the years 1 to 9999";
      if (written.refusal && !notes.refusal)
        notes.refusal = "column " + name + " cannot be written: " + *written.refusal;
      if (written.storedAs)
        notes.rounded.emplace_back(static_cast<std::uint32_t>(column), value.Data());
      builder_.Add(record, column, ExpectedCanonical(written, columnClass));
    }
    builder_.End(record);
    record.extra = notes.Encode();
  }

  SourceConnection& source_;
  const long fetchRows_;
  const TableColumns& columns_;
  RecordBuilder builder_;
  RowArray block_;
  std::size_t next_ = 0;
  bool empty_ = false;
};

// The rows of the MySQL table, each as its canonical values.
class TargetRecords : public RecordStream {
 public:
  TargetRecords(TargetConnection& target, const std::string& sql, const TableColumns& columns)
      : query_(target, sql), columns_(columns), builder_(columns) {}

 protected:
  bool Pull(RowRecord& record) override {
    if (!query_.Next()) return false;
    builder_.Begin(record);
    for (std::size_t column = 0; column < columns_.compared.names.size(); ++column)
      builder_.Add(record, column,
                   TargetCanonical(query_.Field(column), query_.IsNull(column),
                                   columns_.compared.classes[column]));
    builder_.End(record);
    return true;
  }

 private:
  TargetQuery query_;
  const TableColumns& columns_;
  RecordBuilder builder_;
};

// The positions of the key columns among the selected ones; empty when the table has no key
// or a key column is not read.
std::vector<std::size_t> KeyPositions(const std::vector<std::string>& selected,
                                      const std::vector<std::string>& keyColumns) {
  std::vector<std::size_t> positions;
  for (const std::string& name : keyColumns) {
    const auto found = std::find(selected.begin(), selected.end(), name);
    if (found == selected.end()) return {};
    const auto position = static_cast<std::size_t>(found - selected.begin());
    if (std::find(positions.begin(), positions.end(), position) == positions.end())
      positions.push_back(position);
  }
  return positions;
}

class TableVerifier {
 public:
  TableVerifier(const VerifyJob& job, const TableToVerify& table) : job_(job), table_(table) {}

  TableVerification Run() {
    TableVerification result;
    for (const std::string& name : table_.lists.SkippedColumnNames)
      if (!name.empty()) result.columnsNotCompared.push_back(name);
    const std::vector<std::string>& selected = table_.lists.SelectedColumnNames;
    // Nothing of such a table is copied (XMLTYPE and BFILE are not read), so nothing differs.
    if (selected.empty()) return result;
    try {
      if (!DescribeColumns(result)) return result;
      return Compare(std::move(result));
    } catch (const SourceError& error) {
      result.error = "the source rows could not be read: " + SourceReason(error);
    } catch (const TargetReadError& error) {
      result.error = std::string("the MySQL table could not be read: ") + error.what();
      result.connectionLost = error.ConnectionLost();
    } catch (const std::runtime_error& error) {
      result.error = std::string("the comparison could not be made: ") + error.what();
    }
    return result;
  }

 private:
  // The classes of the target's columns; false (with the reason) when the table or one of the
  // columns is not there.
  bool DescribeColumns(TableVerification& result) {
    const auto types = TargetColumnTypes(job_.target, job_.database, table_.targetTable);
    if (types.empty()) {
      result.error = "MySQL has no table " + table_.targetTable + " in database " + job_.database;
      return false;
    }
    const std::vector<std::string>& selected = table_.lists.SelectedColumnNames;
    columns_.compared.names = selected;
    for (std::size_t column = 0; column < selected.size(); ++column) {
      auto type = std::find_if(types.begin(), types.end(),
                               [&](const auto& entry) { return entry.first == selected[column]; });
      if (type == types.end())
        type = std::find_if(types.begin(), types.end(), [&](const auto& entry) {
          return text::EqualsIgnoringAsciiCase(entry.first, selected[column]);
        });
      if (type == types.end()) {
        result.error =
            "the MySQL table " + table_.targetTable + " has no column " + selected[column];
        return false;
      }
      columns_.compared.classes.push_back(ColumnClassOf(type->second));
      columns_.forms.push_back(column < table_.lists.ValueForms.size()
                                   ? table_.lists.ValueForms[column]
                                   : ValueForm::Default);
      targetColumns_.push_back(type->first);
    }
    columns_.compared.keyPositions = KeyPositions(selected, table_.keyColumns);
    for (std::size_t position : columns_.compared.keyPositions)
      result.keyColumns.push_back(selected[position]);
    return true;
  }

  std::string SourceQuery() const {
    return RowQuery(table_.lists.SourceSelectList, job_.owner, table_.sourceTable);
  }

  std::string TargetSql() const {
    std::string sql = "SELECT ";
    for (std::size_t column = 0; column < targetColumns_.size(); ++column) {
      if (column > 0) sql += ",";
      sql += TargetReadExpression(targetColumns_[column], columns_.compared.classes[column]);
    }
    sql += " FROM " + QuoteMySqlIdentifier(job_.database) + "." +
           QuoteMySqlIdentifier(table_.targetTable);
    return sql;
  }

  TableVerification Compare(TableVerification setup) {
    const VerifyOptions& options = job_.options;
    // Rows of a table with a key mostly arrive in key order on both sides; a table without a
    // key orders by all its values, which they hardly ever arrive in.
    if (options.tryArrivalOrder && !columns_.compared.keyPositions.empty()) {
      TableVerification attempt = setup;
      try {
        SourceRecords source(job_.source, SourceQuery(), options.fetchRows, columns_);
        TargetRecords target(job_.target, TargetSql(), columns_);
        OrderCheckedStream orderedSource(source);
        OrderCheckedStream orderedTarget(target);
        CompareRecordStreams(orderedSource, orderedTarget, columns_.compared, table_.refusedByCopy,
                             attempt, options.onProgress);
        return attempt;
      } catch (const RecordsOutOfOrder&) {
        // Sorted below; what was compared so far counts for nothing.
      }
    }
    setup.sorted = true;
    RecordSorter sortedSource(options.sort);
    RecordSorter sortedTarget(options.sort);
    {
      SourceRecords source(job_.source, SourceQuery(), options.fetchRows, columns_);
      Fill(source, sortedSource, true);
    }
    {
      TargetRecords target(job_.target, TargetSql(), columns_);
      Fill(target, sortedTarget, false);
    }
    const std::unique_ptr<RecordStream> sourceRows = sortedSource.Sorted();
    const std::unique_ptr<RecordStream> targetRows = sortedTarget.Sorted();
    CompareRecordStreams(*sourceRows, *targetRows, columns_.compared, table_.refusedByCopy, setup,
                         options.onProgress);
    return setup;
  }

  void Fill(RecordStream& rows, RecordSorter& sorter, bool tellProgress) {
    RowRecord record;
    std::int64_t count = 0;
    while (rows.Take(record)) {
      sorter.Add(record);
      if (tellProgress && ++count % kProgressRows == 0 && job_.options.onProgress)
        job_.options.onProgress(count);
    }
  }

  const VerifyJob& job_;
  const TableToVerify& table_;
  TableColumns columns_;
  std::vector<std::string> targetColumns_;
};

}  // namespace

TableVerification VerifyTableRows(const VerifyJob& job, const TableToVerify& table) {
  return TableVerifier(job, table).Run();
}

}  // namespace skerrow
