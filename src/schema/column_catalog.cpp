#include "schema/column_catalog.h"

#include <charconv>
#include <cstdint>
#include <cstdio>

#include "text/ascii.h"
#include "transfer/oracle_sql_text.h"

namespace skerrow {

namespace {

constexpr std::size_t kCatalogFields = 8;
constexpr std::size_t kDataTypeField = 1;
constexpr std::size_t kDataLengthField = 2;
// The fields read after the original six; a scale may be negative (NUMBER(5,-2)).
constexpr std::size_t kFirstSignedField = 6;

// The unscaled integer of an exact decimal, cut to its low 32 bits; sign and scale are not
// applied (catalog figures are whole and non-negative, so this is their value).
std::string DecimalText(const std::string& exact) {
  std::uint32_t unscaled = 0;
  for (char c : exact)
    if (c >= '0' && c <= '9') unscaled = unscaled * 10u + static_cast<std::uint32_t>(c - '0');
  return std::to_string(static_cast<std::int32_t>(unscaled));
}

// The whole part of an exact decimal with its sign: "-2" for a scale of -2.
std::string SignedDecimalText(const std::string& exact) {
  const bool negative = exact.starts_with('-');
  const std::string whole = DecimalText(exact.substr(0, exact.find('.')));
  return negative && whole != "0" ? "-" + whole : whole;
}

std::string DoubleText(double value) {
  const int size = std::snprintf(nullptr, 0, "%f", value);
  std::string text(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  std::snprintf(text.data(), text.size() + 1, "%f", value);
  const auto point = text.rfind('.');
  if (point != std::string::npos) text.resize(point);
  return text;
}

}  // namespace

std::string ColumnCatalogQuery(const std::string& tableName) {
  return "select COLUMN_NAME, DATA_TYPE, DATA_LENGTH, DATA_PRECISION, NULLABLE, DATA_DEFAULT, "
         "DATA_SCALE, CHAR_LENGTH from USER_TAB_COLUMNS where TABLE_NAME = " +
         OracleTextLiteral(tableName);
}

std::string CatalogValueText(const Variant& value, bool timestampLength) {
  // The catalog's 11 bytes would give a column too short for a timestamp's text, whichever
  // kind the source delivers the length as.
  if (timestampLength) return "100";
  switch (value.Kind()) {
    case VariantKind::Decimal:
      return DecimalText(value.Data());
    case VariantKind::Double:
      return text::TrimWhiteSpace(DoubleText(value.AsDouble()));
    default:
      return text::TrimWhiteSpace(value.ToText().value_or(""));
  }
}

std::optional<long> CatalogNumber(const std::string& field) {
  const std::string_view trimmed = text::TrimmedView(field);
  long value = 0;
  const auto [end, error] = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), value);
  if (trimmed.empty() || error != std::errc() || end != trimmed.data() + trimmed.size())
    return std::nullopt;
  return value;
}

std::vector<ColumnDescriptor> DescriptorsFromCatalogRows(const RowArray& rows) {
  std::vector<ColumnDescriptor> catalog;
  catalog.reserve(rows.RowCount());
  for (std::size_t row = 0; row < rows.RowCount(); ++row) {
    std::string fields[kCatalogFields];
    for (std::size_t field = 0; field < kCatalogFields && field < rows.FieldCount(); ++field) {
      const bool timestampLength = field == kDataLengthField &&
                                   fields[kDataTypeField].find("TIMESTAMP") != std::string::npos;
      const Variant& value = rows.At(field, row);
      fields[field] = field >= kFirstSignedField && value.Kind() == VariantKind::Decimal
                          ? SignedDecimalText(value.Data())
                          : CatalogValueText(value, timestampLength);
    }
    catalog.push_back(
        {fields[0], fields[1], fields[2], fields[3], fields[4], fields[5], fields[6], fields[7]});
  }
  return catalog;
}

std::vector<ColumnDescriptor> ReadColumnCatalog(SourceConnection& source,
                                                const std::string& tableName) {
  source.Execute(ColumnCatalogQuery(tableName));
  return DescriptorsFromCatalogRows(source.GetRows());
}

void ResetColumnLists(TableColumnLists& lists) {
  // The row copy empties the select list, but a table that was never copied (its creation was
  // refused) must not leave its columns to the next table.
  lists.SourceSelectList.clear();
  lists.TextColumnTypes.clear();
  lists.TargetColumnList.clear();
  lists.SelectedColumnNames.clear();
  lists.ValueForms.clear();
  lists.HasSkippedColumns = false;
}

void SizeColumnLists(TableColumnLists& lists, std::size_t columnCount) {
  lists.TextColumnTypes.assign(columnCount + 1, std::string());
  lists.SkippedColumnNames.assign(columnCount + 1, std::string());
}

}  // namespace skerrow
