#pragma once

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

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
  // Names that are neither literals nor functions: a row's columns, a block's variables,
  // sequence.NEXTVAL and CURRVAL, ROWNUM. Gets the name's parts as Oracle stores them; nullopt
  // for a name it does not know. May throw with Oracle's message.
  std::function<std::optional<ScriptValue>(const std::vector<std::string>& path)> resolveName;
  // True where a name may be a column (WHERE, SET, a query): an unknown name is then ORA-00904,
  // not ORA-00984.
  bool columnsVisible = false;
  // COUNT, SUM, AVG, MIN and MAX over the rows of a group, where a query allows them. Called
  // with the cursor on the "(" after the function's name; leaves it after the ")".
  std::function<ScriptValue(const std::string& function, TokenCursor& cursor)> aggregate;
};

// The three truth values of SQL conditions.
enum class Truth { False, True, Unknown };

// Evaluates one value expression: literals, NULL, DATE/TIMESTAMP/INTERVAL literals, + - * /
// with parentheses, ||, CASE, SYSDATE, USER, UID, names the context resolves and the common
// functions. Stops before a "," or ")" that is not part of it.
ScriptValue EvaluateExpression(TokenCursor& cursor, const ExpressionContext& context);

// Evaluates a condition: comparisons, IS [NOT] NULL, [NOT] IN (...), [NOT] BETWEEN, [NOT] LIKE,
// AND, OR, NOT and parentheses.
Truth EvaluateCondition(TokenCursor& cursor, const ExpressionContext& context);

// Oracle's order of two values (negative, 0, positive), converting text to the other side's
// number or date as Oracle does; nullopt when either is NULL. Throws ORA-01722 or ORA-00932.
std::optional<int> CompareValues(const ScriptValue& a, const ScriptValue& b,
                                 const ExpressionContext& context);

// Moves the cursor past one expression without evaluating it: to the next "," or ")" (or one
// of `stopWords`) outside parentheses and CASE ... END.
void SkipExpression(TokenCursor& cursor, std::initializer_list<std::string_view> stopWords = {});

// The largest text or byte value an expression may build (64 MiB): a concatenation in a loop
// must not take the machine's memory.
inline constexpr std::size_t kMaxValueBytes = 64u << 20;

// The text Oracle gives a value where it needs text (concatenation, text columns).
std::string ValueAsText(const ScriptValue& value, const ExpressionContext& context);

}  // namespace skerrow::oracle
