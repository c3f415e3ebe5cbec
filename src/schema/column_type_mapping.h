#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include <optional>

#include "schema/column_descriptor.h"
#include "transfer/table_column_lists.h"
#include "transfer/value_form.h"

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
  ValueForm valueForm = ValueForm::Default;
};

// The fixed chain of tests on DATA_TYPE; the first that matches decides.
TypeRule ClassifyDataType(std::string_view dataType);

// The MySQL type of a NUMBER column, by its precision and scale: DOUBLE where DOUBLE holds
// every value (precision up to 15) or where nothing else can be declared (plain NUMBER, a
// scale above 30, more than 65 digits), DECIMAL(p,s) otherwise.
struct NumberTarget {
  std::string type;
  ValueForm valueForm = ValueForm::ApproximateNumber;
  // Why a column whose precision DOUBLE cannot hold keeps DOUBLE all the same.
  std::optional<std::string> keptDoubleBecause{};
};
NumberTarget NumberTargetOf(const ColumnDescriptor& column);

// The row query's expression for a column read in `form` (not Skipped).
std::string SelectExpression(SelectForm form, std::string_view columnName);

// Maps one column at `catalogPosition`: returns its target type, sets `suppressDefault`, and
// appends its entries to the table's column lists (a skipped column is noted in
// SkippedColumnNames instead).
std::string MapColumnType(TableColumnLists& lists, const ColumnDescriptor& column,
                          std::size_t catalogPosition, bool& suppressDefault);

}  // namespace skerrow
