#include "schema/column_type_mapping.h"

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

}  // namespace

TypeRule ClassifyDataType(std::string_view typed) {
  const std::string_view type = text::TrimmedView(typed);
  using enum SelectForm;
  if (Contains(type, "NUMBER")) return {"DOUBLE", Plain, false, false};
  if (EqualsAny(type, {"VARCHAR2", "NVARCHAR2", "VARCHAR"})) return {"VARCHAR", Plain, true, false};
  if (EqualsAny(type, {"RAW", "ROW"})) return {"LONGTEXT", RawCast, false, true};
  if (EqualsAny(type, {"BINARY_FLOAT", "BINARY_DOUBLE"})) return {"float", RawCast, false, true};
  if (type == "LONG RAW") return {"LONGTEXT", Plain, false, false};
  // Skipped columns are emptied by the row copy, so a source default would never show; and
  // an Oracle object default means nothing to MySQL. They get no DEFAULT clause.
  if (EqualsAny(type, {"XMLType", "XMLTYPE"})) return {"varchar(100)", Skipped, false, true};
  if (EqualsAny(type, {"HTTPURITYPE", "URITYPE"})) return {"varchar(255)", Url, true, false};
  if (type == "BFILE") return {"varchar(100)", Skipped, false, true};
  // Read as bytes: a text cast cannot carry binary content, which the row copy writes as hex.
  if (type == "BLOB") return {"LONGTEXT", Plain, false, false};
  // Read as their whole text: Oracle refuses the raw cast of a CLOB longer than 4000 bytes.
  if (EqualsAny(type, {"NCLOB", "CLOB"})) return {"LONGTEXT", Plain, false, false};
  if (Contains(type, "INTERVAL")) return {"VARCHAR(100)", RawCast, false, false};
  if (Contains(type, "CHAR")) return {"CHAR", Plain, true, false};
  if (Contains(type, "DATE")) return {"DATETIME", Plain, false, false};
  if (Contains(type, "TIMESTAMP")) return {"VARCHAR", RawCast, false, false};
  if (Contains(type, "FLOAT")) return {"DOUBLE", Plain, false, false};
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
  const TypeRule rule = ClassifyDataType(column.dataType);
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
  if (rule.textLike) {
    if (lists.TextColumnTypes.size() <= selectedPosition)
      lists.TextColumnTypes.resize(selectedPosition + 1);
    lists.TextColumnTypes[selectedPosition] = text::TrimWhiteSpace(column.dataType);
  }
  return rule.targetType;
}

}  // namespace skerrow
