#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "oracle/script_target.h"
#include "oracle/sql_cursor.h"
#include "oracle/sql_expression.h"
#include "oracle/type_family.h"

namespace skerrow::oracle {

// The tables a query reads.
class TableProvider {
 public:
  virtual ~TableProvider() = default;
  // The rows of [owner.]table (`owner` empty for the session's own schema); nullopt when there
  // is no such table.
  virtual std::optional<ScriptTarget::TableRows> Table(const std::string& owner,
                                                       const std::string& table) = 0;
};

// The most rows a query builds (joined, filtered or sorted): a bound on its memory.
inline constexpr std::size_t kMaxQueryRows = 2'000'000;

// Runs an ordinary SELECT at the cursor over one table, a join (FROM a, b / [INNER|LEFT] JOIN ..
// ON) or DUAL: the select list with aliases, * and t.*, DISTINCT, WHERE (ROWNUM <= n included),
// GROUP BY with COUNT/SUM/AVG/MIN/MAX, HAVING, UNION ALL, ORDER BY (expressions, aliases,
// positions, ASC/DESC, NULLS FIRST/LAST), OFFSET and FETCH FIRST n ROWS ONLY. Names the outer
// context resolves (a block's variables) may stand in expressions. Stops at the end of the
// tokens or at a ")" that closes the query. Throws StatementError with Oracle's message.
std::vector<std::vector<ScriptValue>> RunSelect(TokenCursor& cursor, TableProvider& tables,
                                                const ExpressionContext& outer);

// The same query with its rows one at a time. The rows of a query without ORDER BY, GROUP BY,
// aggregates and DISTINCT are made as they are asked for, so that a join of any size is never
// held whole; the others are made whole on the first call. The cursor, the tables and the
// context must outlive it; after each row the cursor stands after the query.
class SelectRows {
 public:
  virtual ~SelectRows() = default;
  // The next row; nullopt after the last. Throws StatementError with Oracle's message.
  virtual std::optional<std::vector<ScriptValue>> Next() = 0;
};
std::unique_ptr<SelectRows> StartSelect(TokenCursor& cursor, TableProvider& tables,
                                        const ExpressionContext& outer);

// A stored value as an expression sees it (TIMESTAMP text becomes a timestamp again).
ScriptValue ToScriptValue(const Variant& value, TypeFamily family);
// A query's value as the session delivers it: NUMBER as decimals, dates as dates, text, bytes.
Variant ToDeliveredValue(const ScriptValue& value);

}  // namespace skerrow::oracle
