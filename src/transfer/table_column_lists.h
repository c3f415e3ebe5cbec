#pragma once

#include <string>
#include <vector>

#include "transfer/value_form.h"

namespace skerrow {

// The column lists of one table: the table creation fills them while it maps the columns, and
// the row copy reads the table's rows with them. They belong to that table alone.
struct TableColumnLists {
  // The select expressions of the selected columns, joined by ","; the row copy empties it
  // once its query is built.
  std::string SourceSelectList;
  // The same columns' names, each in double quotes, joined by ",".
  std::string TargetColumnList;
  // Per selected column, its DATA_TYPE when the type is text-like. The row copy hands each
  // entry to RenderValue, which no longer renders by it.
  std::vector<std::string> TextColumnTypes;
  // Per catalog position, the name of a column that is created but not read (XMLTYPE, BFILE).
  std::vector<std::string> SkippedColumnNames;
  bool HasSkippedColumns = false;
  // The names of the selected columns, unquoted, in the order of TargetColumnList.
  std::vector<std::string> SelectedColumnNames;
  // Per selected column, how its values are written; a column without an entry takes
  // ValueForm::Default.
  std::vector<ValueForm> ValueForms;
};

}  // namespace skerrow
