#pragma once

#include <optional>
#include <string>
#include <vector>

#include "oracle/sql_lexer.h"

namespace skerrow::oracle {

// One expression of a row query's select list, in the forms the converter writes:
// "COL", w."COL", utl_raw.cast_to_raw("COL"), utl_raw.cast_to_varchar2("COL"),
// w."COL".getUrl(), and *.
struct SelectItem {
  enum class Form { Column, CastToRaw, CastToVarchar2, GetUrl, AllColumns };
  Form form = Form::Column;
  std::vector<std::string> path;  // the column reference: optional qualifiers, then the column
};

// Select <items> from [owner.]table [alias]
struct RowQuery {
  std::vector<SelectItem> items;
  std::optional<std::string> owner;
  std::string table;
  std::optional<std::string> alias;
};

// Parses a row query; throws std::runtime_error with Oracle's message for what it cannot read
// (ORA-00936 missing expression, ORA-00923, ORA-00903, ORA-00904, ORA-00933, ORA-00911).
RowQuery ParseRowQuery(const std::vector<Token>& tokens);

// "W"."COL" as Oracle's messages name a reference.
std::string WrittenPath(const std::vector<std::string>& path);

}  // namespace skerrow::oracle
