#pragma once

#include <string>
#include <vector>

#include "transfer/render_value.h"

namespace skerrow {

// An Oracle CHECK condition as a MariaDB CHECK expression, or why it cannot be one.
struct CheckTranslation {
  bool translated = false;
  std::string expression;  // when translated: names quoted, literals escaped for MySQL
  std::string reason;      // when not
};

// Translates `condition` (SEARCH_CONDITION) when it uses only the names in `columns` (the
// table's converted columns), numbers, text literals, comparisons, BETWEEN, IN (...),
// IS [NOT] NULL, LIKE, AND, OR, NOT and brackets. Every name is quoted and every literal
// re-escaped with `escape`, so no text of the condition can change the statement. Oracle's
// empty text is NULL, and so is its translation. A LIKE pattern holding a backslash is not
// translated: MySQL reads it as an escape where Oracle does not.
CheckTranslation TranslateCheckCondition(const std::string& condition,
                                         const std::vector<std::string>& columns,
                                         const SqlEscaper& escape);

// True for the condition Oracle keeps for a NOT NULL column: "COLUMN" IS NOT NULL. Sets
// `column`.
bool IsNotNullCheck(const std::string& condition, std::string& column);

}  // namespace skerrow
