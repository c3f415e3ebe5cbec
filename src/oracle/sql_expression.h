#pragma once

#include <set>
#include <string>

#include "oracle/sql_cursor.h"
#include "oracle/sql_value.h"

namespace skerrow::oracle {

// What an expression can see of the session that runs it.
struct ExpressionContext {
  std::string currentUser;  // USER
  long userId = 0;          // UID
  std::string dateFormat = "DD-MON-RR";
  // Object and collection types the script created (upper case, without schema): a call of
  // one of these names is a constructor.
  std::set<std::string> objectTypes;
};

// Evaluates one value expression of an INSERT: literals, NULL, DATE/TIMESTAMP/INTERVAL
// literals, + - * / with parentheses, ||, SYSDATE, USER, UID and the common conversion
// functions. Stops before a "," or ")" that is not part of it.
ScriptValue EvaluateExpression(TokenCursor& cursor, const ExpressionContext& context);

// The text Oracle gives a value where it needs text (concatenation, text columns).
std::string ValueAsText(const ScriptValue& value, const ExpressionContext& context);

}  // namespace skerrow::oracle
