#include "oracle/query_result.h"

#include <stdexcept>

#include "oracle/stored_value.h"
#include "text/hex.h"

namespace skerrow::oracle {

namespace {

Variant DictionaryValue(const SqliteStatement& statement, int index) {
  switch (sqlite3_column_type(statement.Get(), index)) {
    case SQLITE_NULL:
      return Variant::Null();
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
      return Variant::FromDouble(sqlite3_column_double(statement.Get(), index));
    case SQLITE_BLOB:
      return Variant::FromBytes(statement.ColumnBlob(index));
    default: {
      std::string text = statement.ColumnText(index);
      return text.empty() ? Variant::Null() : Variant::FromText(std::move(text));
    }
  }
}

// Oracle reads text handed to a RAW parameter as hex digits.
std::string BytesForRawParameter(const Variant& value, TypeFamily family) {
  if (value.Kind() == VariantKind::ByteArray) return value.Data();
  const Variant text = ToOracleTextForm(value, family);
  auto bytes = text::BytesOfHex(text.Data());
  if (!bytes) throw std::runtime_error("ORA-01465: invalid hex number");
  return *bytes;
}

}  // namespace

QueryResult::QueryResult(std::unique_ptr<SqliteDatabase> ownConnection, SqliteStatement statement,
                         std::vector<ResultField> fields)
    : ownConnection_(std::move(ownConnection)),
      statement_(std::move(statement)),
      fields_(std::move(fields)) {
  hasRow_ = statement_.Step();
}

Variant QueryResult::ReadField(int index) const {
  const ResultField& field = fields_[static_cast<std::size_t>(index)];
  if (field.reading == ResultField::Reading::Dictionary) return DictionaryValue(statement_, index);
  Variant value = ReadStoredValue(statement_, index, field.family);
  switch (field.reading) {
    case ResultField::Reading::CastToRaw: {
      const Variant text = ToOracleTextForm(value, field.family);
      // A zero-length result is NULL in Oracle.
      if (text.IsNullOrEmpty() || text.Data().empty()) return Variant::Null();
      return Variant::FromBytes(text.Data());
    }
    case ResultField::Reading::CastToVarchar2: {
      if (value.IsNullOrEmpty()) return Variant::Null();
      std::string bytes = BytesForRawParameter(value, field.family);
      if (bytes.empty()) return Variant::Null();
      return Variant::FromText(std::move(bytes));
    }
    default:
      return value;
  }
}

QueryResult::QueryResult(std::unique_ptr<ComputedRows> rows) : computed_(std::move(rows)) {
  pending_ = computed_->Next();
  if (pending_) computedFields_ = static_cast<int>(pending_->size());
}

int QueryResult::FieldCount() const {
  return computed_ ? computedFields_ : static_cast<int>(fields_.size());
}

RowArray QueryResult::Fetch(long maxRows) {
  if (computed_) {
    RowArray rows(static_cast<std::size_t>(computedFields_));
    for (long fetched = 0; pending_ && (maxRows < 0 || fetched < maxRows); ++fetched) {
      rows.AppendRow(std::move(*pending_));
      pending_ = computed_->Next();
    }
    return rows;
  }
  RowArray rows(fields_.size());
  if (maxRows > 0 && maxRows < 1000000) rows.Reserve(static_cast<std::size_t>(maxRows));
  long fetched = 0;
  std::vector<Variant> row;
  while (hasRow_ && (maxRows < 0 || fetched < maxRows)) {
    row.clear();
    row.reserve(fields_.size());
    for (int i = 0; i < FieldCount(); ++i) row.push_back(ReadField(i));
    rows.AppendRow(std::move(row));
    row = {};
    ++fetched;
    hasRow_ = statement_.Step();
  }
  return rows;
}

}  // namespace skerrow::oracle
