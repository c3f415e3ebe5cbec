#include "schema/column_type_mapping.h"

#include <algorithm>

#include "schema/column_catalog.h"
#include "text/ascii.h"
#include "transfer/oracle_sql_text.h"

namespace skerrow {

namespace {

bool Contains(std::string_view text, std::string_view word) {
  return text.find(word) != std::string_view::npos;
}

bool EqualsAny(std::string_view text, std::initializer_list<std::string_view> names) {
  for (auto name : names)
    if (text == name) return true;
  return false;
}

void AppendListEntry(std::string& list, const std::string& entry) {
  if (!list.empty()) list += ',';
  list += entry;
}

// Every value of a NUMBER of at most this precision reads back unchanged from a DOUBLE.
constexpr long kDoublePrecision = 15;
// What MySQL's DECIMAL can declare.
constexpr long kMaxDecimalDigits = 65;
constexpr long kMaxDecimalScale = 30;
// The precision Oracle gives a NUMBER declared with a scale only (INTEGER, NUMBER(*,s)).
constexpr long kOraclePrecision = 38;

}  // namespace

NumberTarget NumberTargetOf(const ColumnDescriptor& column) {
  const std::optional<long> precision = CatalogNumber(column.dataPrecision);
  const std::optional<long> scale = CatalogNumber(column.dataScale);
  if (text::TrimmedView(column.dataType) != "NUMBER" || (!precision && !scale) ||
      (precision && *precision <= kDoublePrecision))
    return {"DOUBLE"};
  const long p = precision.value_or(kOraclePrecision);
  const long s = scale.value_or(0);
  const std::string declared =
      "NUMBER(" + (precision ? std::to_string(p) : "*") + "," + std::to_string(s) + ")";
  if (s > kMaxDecimalScale)
    return {"DOUBLE", ValueForm::ApproximateNumber,
            "MySQL's DECIMAL has at most 30 digits after the point, " + declared + " has " +
                std::to_string(s) + "; every value DOUBLE cannot hold exactly is reported"};
  // A negative scale rounds to tens, hundreds, ...: those places are whole digits.
  const long digits = s < 0 ? p - s : std::max(p, s);
  if (digits > kMaxDecimalDigits)
    return {"DOUBLE", ValueForm::ApproximateNumber,
            "MySQL's DECIMAL has at most 65 digits, " + declared + " has " +
                std::to_string(digits) + "; every value DOUBLE cannot hold exactly is reported"};
  return {"DECIMAL(" + std::to_string(digits) + "," + std::to_string(std::max(s, 0L)) + ")",
          ValueForm::Default};
}

TypeRule ClassifyDataType(std::string_view typed) {
  const std::string_view type = text::TrimmedView(typed);
  using enum SelectForm;
  using enum ValueForm;
  if (Contains(type, "NUMBER")) return {"DOUBLE", Plain, false, false, ApproximateNumber};
  if (EqualsAny(type, {"VARCHAR2", "NVARCHAR2", "VARCHAR"})) return {"VARCHAR", Plain, true, false};
  if (EqualsAny(type, {"RAW", "ROW"})) return {"LONGTEXT", RawCast, false, true};
  // Read as Oracle's text of the number, which has every bit of it.
  if (type == "BINARY_FLOAT") return {"float", RawCast, false, true, BinaryFloat};
  if (type == "BINARY_DOUBLE") return {"DOUBLE", RawCast, false, true, BinaryDouble};
  if (type == "LONG RAW") return {"LONGBLOB", Plain, false, false, Binary};
  // Skipped columns are emptied by the row copy, so a source default would never show; and
  // an Oracle object default means nothing to MySQL. They get no DEFAULT clause.
  if (EqualsAny(type, {"XMLType", "XMLTYPE"})) return {"varchar(100)", Skipped, false, true};
  if (EqualsAny(type, {"HTTPURITYPE", "URITYPE"})) return {"varchar(255)", Url, true, false};
  if (type == "BFILE") return {"varchar(100)", Skipped, false, true};
  // Read as bytes: a text cast cannot carry binary content.
  if (type == "BLOB") return {"LONGBLOB", Plain, false, false, Binary};
  // Read as their whole text: Oracle refuses the raw cast of a CLOB longer than 4000 bytes.
  if (EqualsAny(type, {"NCLOB", "CLOB"})) return {"LONGTEXT", Plain, false, false, LobText};
  if (Contains(type, "INTERVAL")) return {"VARCHAR(100)", RawCast, false, false};
  if (Contains(type, "CHAR")) return {"CHAR", Plain, true, false};
  if (Contains(type, "DATE")) return {"DATETIME", Plain, false, false};
  if (Contains(type, "TIMESTAMP")) return {"VARCHAR", RawCast, false, false};
  if (Contains(type, "FLOAT")) return {"DOUBLE", Plain, false, false, ApproximateNumber};
  if (Contains(type, "ROWID")) return {"BLOB", RawCast, false, false};
  if (Contains(type, "LONG")) return {"LONG", Plain, false, false};
  return {"VARCHAR", Plain, false, false};
}

std::string SelectExpression(SelectForm form, std::string_view columnName) {
  const std::string quoted = OracleQuotedName(columnName);
  switch (form) {
    case SelectForm::RawCast:
      return "utl_raw.cast_to_raw(" + quoted + ")";
    case SelectForm::TextCast:
      return "utl_raw.cast_to_varchar2(" + quoted + ")";
    case SelectForm::Url:
      return "w." + quoted + ".getUrl()";
    case SelectForm::Plain:
    case SelectForm::Skipped:
      break;
  }
  return quoted;
}

std::string MapColumnType(TableColumnLists& lists, const ColumnDescriptor& column,
                          std::size_t catalogPosition, bool& suppressDefault) {
  TypeRule rule = ClassifyDataType(column.dataType);
  // A NUMBER's precision and scale may give it an exact type.
  if (rule.valueForm == ValueForm::ApproximateNumber) {
    NumberTarget number = NumberTargetOf(column);
    rule.targetType = std::move(number.type);
    rule.valueForm = number.valueForm;
  }
  suppressDefault = rule.suppressDefault;
  if (rule.select == SelectForm::Skipped) {
    if (lists.SkippedColumnNames.size() <= catalogPosition)
      lists.SkippedColumnNames.resize(catalogPosition + 1);
    lists.SkippedColumnNames[catalogPosition] = column.columnName;
    lists.HasSkippedColumns = true;
    return rule.targetType;
  }
  const std::size_t selectedPosition = lists.SelectedColumnNames.size();
  AppendListEntry(lists.SourceSelectList, SelectExpression(rule.select, column.columnName));
  AppendListEntry(lists.TargetColumnList, OracleQuotedName(column.columnName));
  lists.SelectedColumnNames.push_back(column.columnName);
  lists.ValueForms.resize(selectedPosition);
  lists.ValueForms.push_back(rule.valueForm);
  if (rule.textLike) {
    if (lists.TextColumnTypes.size() <= selectedPosition)
      lists.TextColumnTypes.resize(selectedPosition + 1);
    lists.TextColumnTypes[selectedPosition] = text::TrimWhiteSpace(column.dataType);
  }
  return rule.targetType;
}

}  // namespace skerrow
