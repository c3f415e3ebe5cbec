#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "schema/column_descriptor.h"
#include "transfer/table_column_lists.h"

namespace skerrow {

// How the row query reads a column.
enum class SelectForm {
  Plain,     // "COL"
  RawCast,   // utl_raw.cast_to_raw("COL")
  TextCast,  // utl_raw.cast_to_varchar2("COL")
  Url,       // w."COL".getUrl()
  Skipped,   // not read; the row copy fills it with an UPDATE
};

// What the type of a column decides.
struct TypeRule {
  std::string targetType;
  SelectForm select = SelectForm::Plain;
  bool textLike = false;  // its DATA_TYPE goes into TextColumnTypes
  bool suppressDefault = false;
};

// The fixed chain of tests on DATA_TYPE; the first that matches decides.
TypeRule ClassifyDataType(std::string_view dataType);

// The row query's expression for a column read in `form` (not Skipped).
std::string SelectExpression(SelectForm form, std::string_view columnName);

// Maps one column at `catalogPosition`: returns its target type, sets `suppressDefault`, and
// appends its entries to the table's column lists (a skipped column is noted in
// SkippedColumnNames instead).
std::string MapColumnType(TableColumnLists& lists, const ColumnDescriptor& column,
                          std::size_t catalogPosition, bool& suppressDefault);

}  // namespace skerrow
