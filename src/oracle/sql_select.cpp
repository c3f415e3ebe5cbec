#include "oracle/sql_select.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <map>
#include <memory>
#include <set>

#include "oracle/oracle_names.h"
#include "oracle/sql_datetime.h"
#include "oracle/sql_decimal.h"
#include "oracle/sql_error.h"
#include "oracle/stored_value.h"
#include "oracle/type_family.h"

namespace skerrow::oracle {

namespace {

using Kind = ScriptValue::Kind;
using Row = std::vector<ScriptValue>;

// Words that end an expression of a select list, a GROUP BY or an ORDER BY.
constexpr std::string_view kClauseWords[] = {
    "FROM",  "WHERE",  "GROUP", "HAVING", "ORDER", "UNION", "MINUS",  "INTERSECT",
    "FETCH", "OFFSET", "ASC",   "DESC",   "NULLS", "INNER", "LEFT",   "RIGHT",
    "FULL",  "CROSS",  "JOIN",  "ON",     "AS",    "FOR",   "CONNECT"};

bool IsClauseWord(const Token& token) {
  for (std::string_view word : kClauseWords)
    if (token.IsWord(word)) return true;
  return false;
}

[[noreturn]] void Fail(const TokenCursor& cursor, const std::string& message) {
  cursor.Fail(message);
}

// Moves past one expression of a list: to a ",", a ")" or a clause word at its own level, or to
// a name that follows a complete operand (its alias).
void SkipListExpression(TokenCursor& cursor) {
  int depth = 0;
  bool operandEnded = false;
  while (!cursor.AtEnd()) {
    const Token& token = cursor.Peek();
    if (depth == 0) {
      if (token.IsSymbol(",") || token.IsSymbol(")") || IsClauseWord(token)) return;
      if (operandEnded && token.IsName() && !token.IsWord("AND") && !token.IsWord("OR")) return;
    }
    if (token.IsSymbol("(") || token.IsWord("CASE")) ++depth;
    if ((token.IsSymbol(")") || token.IsWord("END")) && depth > 0) --depth;
    operandEnded = token.IsName() || token.kind == TokenKind::Number ||
                   token.kind == TokenKind::String || token.kind == TokenKind::NationalString ||
                   token.IsSymbol(")") || token.IsWord("END");
    if (token.IsWord("DATE") || token.IsWord("TIMESTAMP") || token.IsWord("INTERVAL"))
      operandEnded = false;
    cursor.Next();
  }
}

// Moves past a condition: to a clause word, a ")" or the end at its own level.
void SkipCondition(TokenCursor& cursor) {
  int depth = 0;
  while (!cursor.AtEnd()) {
    const Token& token = cursor.Peek();
    if (depth == 0 &&
        (token.IsSymbol(")") || token.IsWord("GROUP") || token.IsWord("HAVING") ||
         token.IsWord("ORDER") || token.IsWord("UNION") || token.IsWord("FETCH") ||
         token.IsWord("OFFSET") || token.IsWord("MINUS") || token.IsWord("INTERSECT") ||
         token.IsWord("INNER") || token.IsWord("LEFT") || token.IsWord("JOIN") ||
         token.IsWord("WHERE") || token.IsWord("CROSS") || token.IsSymbol(",")))
      return;
    if (token.IsSymbol("(")) ++depth;
    if (token.IsSymbol(")")) --depth;
    cursor.Next();
  }
}

struct SelectItem {
  enum class Form { Expression, AllColumns, TableColumns } form = Form::Expression;
  std::size_t position = 0;
  std::string qualifier;  // t.*
  std::string alias;
};

struct TableReference {
  std::string owner;
  std::string table;
  std::string alias;
  enum class Join { Comma, Inner, Left } join = Join::Comma;
  std::optional<std::size_t> on;  // position of the ON condition
  ScriptTarget::TableRows data;
  std::vector<TypeFamily> families;
};

struct OrderKey {
  std::size_t position = 0;
  bool descending = false;
  std::optional<bool> nullsFirst;
};

struct SelectBlock {
  bool distinct = false;
  std::vector<SelectItem> items;
  std::vector<TableReference> tables;
  std::optional<std::size_t> where;
  std::vector<std::size_t> groupBy;
  std::optional<std::size_t> having;
  bool aggregated = false;
};

bool HasAggregate(const std::vector<Token>& tokens, std::size_t from, std::size_t to) {
  for (std::size_t i = from; i + 1 < to && i + 1 < tokens.size(); ++i)
    for (const char* name : {"COUNT", "SUM", "AVG", "MIN", "MAX"})
      if (tokens[i].IsWord(name) && tokens[i + 1].IsSymbol("(")) return true;
  return false;
}

// One row of the joined tables: for each table its row, or none (the outer side of a LEFT JOIN).
using Joined = std::vector<const Row*>;

// Where a nested loop over a block's tables stands: for each table the next row to try,
// whether a row matched (a LEFT JOIN gives its NULL side only when none did), and the rows
// chosen so far. (At namespace scope, so that a query can hold one in a std::optional.)
struct JoinWalk {
  struct Level {
    std::size_t next = 0;
    bool matched = false;
    bool nullSideDone = false;
  };
  std::size_t firstTable = 0;
  std::vector<Level> levels;
  Joined current;
  bool started = false;
  bool done = false;
};

class Query {
 public:
  Query(TokenCursor& cursor, TableProvider& provider, const ExpressionContext& outer)
      : cursor_(cursor), provider_(provider), outer_(outer) {}

  // Reads the whole query; its rows then come from Next().
  void Start() {
    blocks_.push_back(ParseBlock());
    while (cursor_.Peek().IsWord("UNION")) {
      cursor_.Next();
      if (!cursor_.AcceptWord("ALL"))
        Fail(cursor_, "ORA-00900: only UNION ALL is supported by the embedded instance");
      blocks_.push_back(ParseBlock());
    }
    if (cursor_.Peek().IsWord("MINUS") || cursor_.Peek().IsWord("INTERSECT"))
      Fail(cursor_,
           "ORA-00900: " + cursor_.Peek().Name() + " is not supported by the embedded instance");
    order_ = ParseOrderBy();
    if (cursor_.AcceptWord("OFFSET")) {
      offset_ = WholeNumberAt();
      if (!cursor_.AcceptWord("ROWS")) cursor_.AcceptWord("ROW");
    }
    if (cursor_.AcceptWord("FETCH")) {
      if (!cursor_.AcceptWord("FIRST")) cursor_.ExpectWord("NEXT");
      fetch_ = WholeNumberAt();
      if (!cursor_.AcceptWord("ROWS")) cursor_.ExpectWord("ROW");
      cursor_.ExpectWord("ONLY");
    }
    end_ = cursor_.Position();
    // Without sorting, grouping or DISTINCT each row is made when it is asked for: a join of
    // any size is never held whole.
    streamed_ = order_.empty();
    for (const SelectBlock& block : blocks_)
      streamed_ = streamed_ && !block.aggregated && !block.distinct;
  }

  // The next row of the result; nullopt after the last one.
  std::optional<Row> Next() {
    std::optional<Row> row = streamed_ ? NextStreamed() : NextMade();
    cursor_.Seek(end_);  // evaluating moved the cursor; callers read on after the query
    return row;
  }

 private:
  std::optional<Row> NextMade() {
    if (!made_) {
      made_ = true;
      std::vector<Row> keys;
      for (SelectBlock& block : blocks_) Execute(block, order_, blocks_.front(), rows_, keys);
      if (!order_.empty()) Sort(order_, rows_, keys);
      next_ = static_cast<std::size_t>(std::min<long long>(offset_, rows_.size()));
      if (fetch_ && rows_.size() - next_ > static_cast<std::size_t>(*fetch_))
        rows_.resize(next_ + static_cast<std::size_t>(*fetch_));
    }
    if (next_ >= rows_.size()) return std::nullopt;
    return std::move(rows_[next_++]);
  }

  std::optional<Row> NextStreamed() {
    while (true) {
      if (fetch_ && delivered_ >= *fetch_) return std::nullopt;
      if (!walk_) {
        if (block_ >= blocks_.size()) return std::nullopt;
        walk_.emplace();
        walk_->firstTable = tableOffset_;
        tableOffset_ += blocks_[block_].tables.size();
        rownum_ = 1;
      }
      const SelectBlock& block = blocks_[block_];
      const Joined* joined = NextJoined(block, *walk_);
      if (!joined) {
        walk_.reset();
        ++block_;
        continue;
      }
      if (block.where) {
        cursor_.Seek(*block.where);
        const ExpressionContext context = ContextFor(block, *joined, nullptr);
        if (EvaluateCondition(cursor_, context) != Truth::True) continue;
      }
      ++rownum_;
      Row projected = Project(block, *joined, nullptr);
      if (width_ && *width_ != projected.size())
        Fail(cursor_, "ORA-01789: query block has incorrect number of result columns");
      width_ = projected.size();
      if (skipped_ < offset_) {
        ++skipped_;
        continue;
      }
      ++delivered_;
      return projected;
    }
  }

 private:
  // A count of rows (OFFSET, FETCH FIRST): one beyond what a long long holds is as good as
  // all of them.
  long long WholeNumberAt() {
    const Token& token = cursor_.Next();
    if (token.kind != TokenKind::Number ||
        token.text.find_first_not_of("0123456789") != std::string::npos)
      cursor_.FailUnexpected("a number of rows");
    long long value = 0;
    if (std::from_chars(token.text.data(), token.text.data() + token.text.size(), value).ec !=
        std::errc())
      value = std::numeric_limits<long long>::max();
    return value;
  }

  SelectBlock ParseBlock() {
    SelectBlock block;
    if (!cursor_.AcceptWord("SELECT")) Fail(cursor_, "ORA-00928: missing SELECT keyword");
    if (cursor_.AcceptWord("DISTINCT") || cursor_.AcceptWord("UNIQUE"))
      block.distinct = true;
    else
      cursor_.AcceptWord("ALL");
    if (cursor_.Peek().IsWord("FROM")) Fail(cursor_, "ORA-00936: missing expression");
    do {
      SelectItem item;
      if (cursor_.AcceptSymbol("*")) {
        item.form = SelectItem::Form::AllColumns;
      } else if (cursor_.PeekIsName() && cursor_.Peek(1).IsSymbol(".") &&
                 cursor_.Peek(2).IsSymbol("*")) {
        item.form = SelectItem::Form::TableColumns;
        item.qualifier = cursor_.Next().Name();
        cursor_.Next();
        cursor_.Next();
      } else {
        item.position = cursor_.Position();
        SkipListExpression(cursor_);
        if (cursor_.Position() == item.position) Fail(cursor_, "ORA-00936: missing expression");
        if (HasAggregate(cursor_.Tokens(), item.position, cursor_.Position()))
          block.aggregated = true;
        if (cursor_.AcceptWord("AS") || (cursor_.PeekIsName() && !IsClauseWord(cursor_.Peek())))
          item.alias = cursor_.Name("an alias");
      }
      block.items.push_back(std::move(item));
    } while (cursor_.AcceptSymbol(","));
    if (!cursor_.AcceptWord("FROM"))
      Fail(cursor_, "ORA-00923: FROM keyword not found where expected");
    ParseTables(block);
    if (cursor_.AcceptWord("WHERE")) {
      block.where = cursor_.Position();
      SkipCondition(cursor_);
    }
    if (cursor_.AcceptWord("GROUP")) {
      cursor_.ExpectWord("BY");
      do {
        block.groupBy.push_back(cursor_.Position());
        SkipListExpression(cursor_);
      } while (cursor_.AcceptSymbol(","));
      block.aggregated = true;
    }
    if (cursor_.AcceptWord("HAVING")) {
      block.having = cursor_.Position();
      SkipCondition(cursor_);
      block.aggregated = true;
    }
    return block;
  }

  void ParseTables(SelectBlock& block) {
    auto join = TableReference::Join::Comma;
    while (true) {
      if (!cursor_.PeekIsName()) Fail(cursor_, "ORA-00903: invalid table name");
      if (cursor_.Peek().IsSymbol("("))
        Fail(cursor_, "ORA-00900: subqueries in FROM are not supported");
      TableReference reference;
      reference.join = join;
      reference.table = cursor_.Next().Name();
      if (cursor_.AcceptSymbol(".")) {
        reference.owner = reference.table;
        reference.table = cursor_.Name("a table name");
      }
      if (cursor_.PeekIsName() && !IsClauseWord(cursor_.Peek()) && !cursor_.Peek().IsWord("WHERE"))
        reference.alias = cursor_.Next().Name();
      if (join != TableReference::Join::Comma && cursor_.AcceptWord("ON")) {
        reference.on = cursor_.Position();
        SkipCondition(cursor_);
      }
      Load(reference);
      block.tables.push_back(std::move(reference));
      if (cursor_.AcceptSymbol(",")) {
        join = TableReference::Join::Comma;
      } else if (cursor_.Peek().IsWord("JOIN") || cursor_.Peek().IsWord("INNER")) {
        cursor_.AcceptWord("INNER");
        cursor_.ExpectWord("JOIN");
        join = TableReference::Join::Inner;
      } else if (cursor_.Peek().IsWord("CROSS")) {
        cursor_.Next();
        cursor_.ExpectWord("JOIN");
        join = TableReference::Join::Comma;
      } else if (cursor_.Peek().IsWord("LEFT")) {
        cursor_.Next();
        cursor_.AcceptWord("OUTER");
        cursor_.ExpectWord("JOIN");
        join = TableReference::Join::Left;
      } else if (cursor_.Peek().IsWord("RIGHT") || cursor_.Peek().IsWord("FULL")) {
        Fail(cursor_, "ORA-00900: RIGHT and FULL joins are not supported by the embedded instance");
      } else {
        return;
      }
    }
  }

  void Load(TableReference& reference) {
    if (reference.owner.empty() && reference.table == "DUAL") {
      ColumnDefinition dummy;
      dummy.name = "DUMMY";
      dummy.dataType = "VARCHAR2";
      dummy.dataLength = 1;
      reference.data.columns = {dummy};
      reference.data.rows = {{Variant::FromText("X")}};
    } else {
      auto data = provider_.Table(reference.owner, reference.table);
      if (!data)
        Fail(cursor_, "ORA-00942: table or view does not exist (" +
                          (reference.owner.empty() ? "" : QuoteOracleName(reference.owner) + ".") +
                          QuoteOracleName(reference.table) + ")");
      reference.data = std::move(*data);
    }
    for (const auto& column : reference.data.columns)
      reference.families.push_back(FamilyOfDataType(column.dataType));
    converted_.emplace_back();
    for (const auto& stored : reference.data.rows) {
      Row row;
      for (std::size_t c = 0; c < stored.size(); ++c)
        row.push_back(ToScriptValue(stored[c], reference.families[c]));
      converted_.back().push_back(std::move(row));
    }
    reference.data.rows.clear();
  }

  std::vector<OrderKey> ParseOrderBy() {
    std::vector<OrderKey> keys;
    if (!cursor_.AcceptWord("ORDER")) return keys;
    cursor_.ExpectWord("BY");
    do {
      OrderKey key;
      key.position = cursor_.Position();
      SkipListExpression(cursor_);
      if (cursor_.AcceptWord("DESC"))
        key.descending = true;
      else
        cursor_.AcceptWord("ASC");
      if (cursor_.AcceptWord("NULLS")) {
        if (cursor_.AcceptWord("FIRST"))
          key.nullsFirst = true;
        else {
          cursor_.ExpectWord("LAST");
          key.nullsFirst = false;
        }
      }
      keys.push_back(key);
    } while (cursor_.AcceptSymbol(","));
    return keys;
  }

  // Names of the current joined row, then whatever the outer context knows.
  std::optional<ScriptValue> Resolve(const SelectBlock& block, const Joined& joined,
                                     const std::vector<std::string>& path) {
    if (path.size() == 1 && path[0] == "ROWNUM")
      return ScriptValue::Number(std::to_string(rownum_));
    const std::string& column = path.back();
    std::optional<ScriptValue> found;
    int matches = 0;
    for (std::size_t t = 0; t < block.tables.size(); ++t) {
      const TableReference& reference = block.tables[t];
      if (path.size() == 2 &&
          path[0] != (reference.alias.empty() ? reference.table : reference.alias))
        continue;
      if (path.size() == 3 && (!reference.alias.empty() || path[1] != reference.table ||
                               (path[0] != reference.owner && !reference.owner.empty())))
        continue;
      if (path.size() > 3) continue;
      for (std::size_t c = 0; c < reference.data.columns.size(); ++c) {
        if (reference.data.columns[c].name != column) continue;
        ++matches;
        found = t < joined.size() && joined[t] ? (*joined[t])[c] : ScriptValue::Null();
      }
    }
    if (matches > 1) Fail(cursor_, "ORA-00918: column ambiguously defined (" + column + ")");
    if (found) return found;
    if (outer_.resolveName) return outer_.resolveName(path);
    return std::nullopt;
  }

  ExpressionContext ContextFor(const SelectBlock& block, const Joined& joined,
                               const std::vector<Joined>* group) {
    ExpressionContext context = outer_;
    context.columnsVisible = true;
    context.resolveName = [this, &block, &joined](const std::vector<std::string>& path) {
      return Resolve(block, joined, path);
    };
    context.aggregate = nullptr;
    if (group)
      context.aggregate = [this, &block, group](const std::string& function, TokenCursor& cursor) {
        return Aggregate(block, *group, function, cursor);
      };
    return context;
  }

  ScriptValue Aggregate(const SelectBlock& block, const std::vector<Joined>& group,
                        const std::string& function, TokenCursor& cursor) {
    cursor.ExpectSymbol("(");
    if (function == "COUNT" && cursor.AcceptSymbol("*")) {
      cursor.ExpectSymbol(")");
      return ScriptValue::Number(std::to_string(group.size()));
    }
    const bool distinct = cursor.AcceptWord("DISTINCT");
    if (!distinct) cursor.AcceptWord("ALL");
    const std::size_t argument = cursor.Position();
    std::vector<ScriptValue> values;
    for (const Joined& joined : group) {
      cursor.Seek(argument);
      const ExpressionContext context = ContextFor(block, joined, nullptr);
      ScriptValue value = EvaluateExpression(cursor, context);
      if (!value.IsNull()) values.push_back(std::move(value));
    }
    if (group.empty()) SkipExpression(cursor);
    cursor.ExpectSymbol(")");
    if (distinct) {
      std::vector<ScriptValue> unique;
      for (auto& value : values) {
        bool seen = false;
        for (const auto& kept : unique) seen = seen || CompareValues(kept, value, outer_) == 0;
        if (!seen) unique.push_back(std::move(value));
      }
      values = std::move(unique);
    }
    if (function == "COUNT") return ScriptValue::Number(std::to_string(values.size()));
    if (values.empty()) return ScriptValue::Null();
    if (function == "MIN" || function == "MAX") {
      ScriptValue best = values.front();
      for (const auto& value : values) {
        const int order = *CompareValues(value, best, outer_);
        if (function == "MIN" ? order < 0 : order > 0) best = value;
      }
      return best;
    }
    std::string sum = "0";
    for (const auto& value : values) {
      if (value.kind != Kind::Number && value.kind != Kind::Double && value.kind != Kind::Text)
        Fail(cursor, "ORA-00932: inconsistent datatypes: expected NUMBER");
      auto exact = value.kind == Kind::Text ? MakeDecimal(value.text) : std::optional(value.text);
      if (!exact) Fail(cursor, "ORA-01722: invalid number");
      sum = DecimalAdd(sum, *exact);
    }
    if (function == "SUM") return ScriptValue::Number(sum);
    return ScriptValue::Number(*DecimalDivide(sum, std::to_string(values.size())));
  }

  // The next joined row of a block's tables (FROM a, b / JOIN ... ON), in the order of a nested
  // loop; nullptr after the last one.
  const Joined* NextJoined(const SelectBlock& block, JoinWalk& walk) {
    const std::size_t tables = block.tables.size();
    if (walk.done) return nullptr;
    std::size_t depth = tables - 1;  // resume with the innermost table
    if (!walk.started) {
      walk.started = true;
      walk.levels.assign(tables, {});
      walk.current.assign(tables, nullptr);
      depth = 0;
    }
    while (true) {
      JoinWalk::Level& level = walk.levels[depth];
      const TableReference& reference = block.tables[depth];
      const std::vector<Row>& rows = converted_[walk.firstTable + depth];
      bool placed = false;
      while (!placed && level.next < rows.size()) {
        walk.current.resize(depth + 1);
        walk.current[depth] = &rows[level.next++];
        placed = !reference.on || Holds(*reference.on, block, walk.current);
      }
      if (placed) {
        level.matched = true;
      } else if (!level.matched && !level.nullSideDone &&
                 reference.join == TableReference::Join::Left) {
        level.nullSideDone = true;
        walk.current.resize(depth + 1);
        walk.current[depth] = nullptr;
        placed = true;
      }
      if (!placed) {
        if (depth == 0) {
          walk.done = true;
          return nullptr;
        }
        --depth;
        continue;
      }
      if (depth + 1 == tables) return &walk.current;
      walk.levels[++depth] = {};
    }
  }

  bool Holds(std::size_t condition, const SelectBlock& block, const Joined& joined) {
    cursor_.Seek(condition);
    const ExpressionContext context = ContextFor(block, joined, nullptr);
    return EvaluateCondition(cursor_, context) == Truth::True;
  }

  [[noreturn]] void TooManyRows() {
    Fail(cursor_, "the query builds more than " + std::to_string(kMaxQueryRows) +
                      " rows, the most the embedded instance holds for one query");
  }

  // The values of the select list for one joined row (or one group).
  Row Project(const SelectBlock& block, const Joined& joined, const std::vector<Joined>* group) {
    Row row;
    const ExpressionContext context = ContextFor(block, joined, group);
    for (const SelectItem& item : block.items) {
      if (item.form == SelectItem::Form::Expression) {
        cursor_.Seek(item.position);
        row.push_back(EvaluateExpression(cursor_, context));
        continue;
      }
      bool any = false;
      for (std::size_t t = 0; t < block.tables.size(); ++t) {
        const TableReference& reference = block.tables[t];
        const std::string name = reference.alias.empty() ? reference.table : reference.alias;
        if (item.form == SelectItem::Form::TableColumns && item.qualifier != name) continue;
        any = true;
        for (std::size_t c = 0; c < reference.data.columns.size(); ++c)
          row.push_back(t < joined.size() && joined[t] ? (*joined[t])[c] : ScriptValue::Null());
      }
      if (!any) Fail(cursor_, "ORA-00904: \"" + item.qualifier + "\": invalid identifier");
    }
    return row;
  }

  // ORDER BY keys of one output row: a position, an alias of the select list, or an expression.
  Row Keys(const std::vector<OrderKey>& order, const SelectBlock& block, const SelectBlock& first,
           const Row& projected, const Joined& joined, const std::vector<Joined>* group) {
    Row keys;
    for (const OrderKey& key : order) {
      const Token& token = cursor_.Tokens()[key.position];
      const Token& after =
          cursor_.Tokens()[std::min(key.position + 1, cursor_.Tokens().size() - 1)];
      const bool alone = after.IsSymbol(",") || after.kind == TokenKind::End ||
                         after.IsWord("ASC") || after.IsWord("DESC") || after.IsWord("NULLS") ||
                         after.IsWord("FETCH") || after.IsWord("OFFSET") || after.IsSymbol(")");
      if (alone && token.kind == TokenKind::Number) {
        const long position = std::stol(token.text);
        if (position < 1 || static_cast<std::size_t>(position) > projected.size())
          Fail(cursor_, "ORA-01785: ORDER BY item must be the number of a SELECT-list expression");
        keys.push_back(projected[static_cast<std::size_t>(position - 1)]);
        continue;
      }
      std::optional<std::size_t> aliased;
      if (alone && token.IsName())
        for (std::size_t i = 0; i < first.items.size(); ++i)
          if (first.items[i].alias == token.Name()) aliased = i;
      if (aliased && *aliased < projected.size()) {
        keys.push_back(projected[*aliased]);
        continue;
      }
      cursor_.Seek(key.position);
      const ExpressionContext context = ContextFor(block, joined, group);
      keys.push_back(EvaluateExpression(cursor_, context));
    }
    return keys;
  }

  void Execute(const SelectBlock& block, const std::vector<OrderKey>& order,
               const SelectBlock& first, std::vector<Row>& rows, std::vector<Row>& keys) {
    const std::size_t firstTable = tableOffset_;
    tableOffset_ += block.tables.size();
    if (block.items.size() != first.items.size() && &block != &first) {
      // The column counts are checked once the rows are known.
    }
    std::vector<Joined> filtered;
    rownum_ = 1;
    JoinWalk walk;
    walk.firstTable = firstTable;
    std::size_t joinedCount = 0;
    while (const Joined* joined = NextJoined(block, walk)) {
      if (++joinedCount > kMaxQueryRows) TooManyRows();
      if (block.where) {
        cursor_.Seek(*block.where);
        const ExpressionContext context = ContextFor(block, *joined, nullptr);
        if (EvaluateCondition(cursor_, context) != Truth::True) continue;
      }
      ++rownum_;
      filtered.push_back(*joined);
    }
    const std::size_t before = rows.size();
    if (!block.aggregated) {
      for (const Joined& joined : filtered) {
        Row projected = Project(block, joined, nullptr);
        if (!order.empty()) keys.push_back(Keys(order, block, first, projected, joined, nullptr));
        rows.push_back(std::move(projected));
      }
    } else {
      // Groups in the order their first row came, keyed by the GROUP BY values' text forms.
      std::vector<std::vector<Joined>> groups;
      std::map<std::string, std::size_t> index;
      for (const Joined& joined : filtered) {
        std::string key;
        const ExpressionContext context = ContextFor(block, joined, nullptr);
        for (std::size_t position : block.groupBy) {
          cursor_.Seek(position);
          const ScriptValue value = EvaluateExpression(cursor_, context);
          key += std::to_string(static_cast<int>(value.kind)) + ":" +
                 (value.IsNull() ? "" : ValueAsText(value, outer_)) + "\x1F";
        }
        auto [at, inserted] = index.emplace(key, groups.size());
        if (inserted) groups.emplace_back();
        groups[at->second].push_back(joined);
      }
      if (groups.empty() && block.groupBy.empty()) groups.emplace_back();
      const Joined none;
      for (const auto& group : groups) {
        const Joined& representative = group.empty() ? none : group.front();
        if (block.having) {
          cursor_.Seek(*block.having);
          const ExpressionContext context = ContextFor(block, representative, &group);
          if (EvaluateCondition(cursor_, context) != Truth::True) continue;
        }
        Row projected = Project(block, representative, &group);
        if (!order.empty())
          keys.push_back(Keys(order, block, first, projected, representative, &group));
        rows.push_back(std::move(projected));
      }
    }
    if (rows.size() > before && before > 0 && rows[before].size() != rows.front().size())
      Fail(cursor_, "ORA-01789: query block has incorrect number of result columns");
    if (block.distinct) {
      std::vector<Row> unique;
      std::vector<Row> uniqueKeys;
      for (std::size_t i = before; i < rows.size(); ++i) {
        bool seen = false;
        for (const Row& kept : unique) seen = seen || SameRow(kept, rows[i]);
        if (seen) continue;
        unique.push_back(rows[i]);
        if (!order.empty()) uniqueKeys.push_back(keys[i]);
      }
      rows.resize(before);
      rows.insert(rows.end(), unique.begin(), unique.end());
      if (!order.empty()) {
        keys.resize(before);
        keys.insert(keys.end(), uniqueKeys.begin(), uniqueKeys.end());
      }
    }
    if (rows.size() > kMaxQueryRows) TooManyRows();
  }

  bool SameRow(const Row& a, const Row& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
      if (a[i].IsNull() != b[i].IsNull()) return false;
      if (!a[i].IsNull() && CompareValues(a[i], b[i], outer_) != 0) return false;
    }
    return true;
  }

  void Sort(const std::vector<OrderKey>& order, std::vector<Row>& rows, std::vector<Row>& keys) {
    std::vector<std::size_t> positions(rows.size());
    for (std::size_t i = 0; i < positions.size(); ++i) positions[i] = i;
    std::stable_sort(positions.begin(), positions.end(), [&](std::size_t x, std::size_t y) {
      for (std::size_t k = 0; k < order.size(); ++k) {
        const ScriptValue& a = keys[x][k];
        const ScriptValue& b = keys[y][k];
        // Oracle sorts NULL as the largest value unless told otherwise.
        const bool nullsFirst = order[k].nullsFirst.value_or(order[k].descending);
        if (a.IsNull() || b.IsNull()) {
          if (a.IsNull() && b.IsNull()) continue;
          return a.IsNull() == nullsFirst;
        }
        const int compared = *CompareValues(a, b, outer_);
        if (compared != 0) return order[k].descending ? compared > 0 : compared < 0;
      }
      return false;
    });
    std::vector<Row> sorted;
    sorted.reserve(rows.size());
    for (std::size_t i : positions) sorted.push_back(std::move(rows[i]));
    rows = std::move(sorted);
  }

  TokenCursor& cursor_;
  TableProvider& provider_;
  const ExpressionContext& outer_;
  std::vector<std::vector<Row>> converted_;  // the rows of each table reference, in order
  std::size_t tableOffset_ = 0;
  long rownum_ = 1;

  std::vector<SelectBlock> blocks_;
  std::vector<OrderKey> order_;
  long long offset_ = 0;
  std::optional<long long> fetch_;
  std::size_t end_ = 0;  // the position after the query
  bool streamed_ = false;
  // A made result: every row, handed out from next_.
  bool made_ = false;
  std::vector<Row> rows_;
  std::size_t next_ = 0;
  // A streamed result: the block being read and where its join stands.
  std::size_t block_ = 0;
  std::optional<JoinWalk> walk_;
  std::optional<std::size_t> width_;
  long long skipped_ = 0;
  long long delivered_ = 0;
};

class RunningSelect : public SelectRows {
 public:
  RunningSelect(TokenCursor& cursor, TableProvider& tables, const ExpressionContext& outer)
      : query_(cursor, tables, outer) {
    query_.Start();
  }
  std::optional<std::vector<ScriptValue>> Next() override { return query_.Next(); }

 private:
  Query query_;
};

}  // namespace

std::unique_ptr<SelectRows> StartSelect(TokenCursor& cursor, TableProvider& tables,
                                        const ExpressionContext& outer) {
  return std::make_unique<RunningSelect>(cursor, tables, outer);
}

std::vector<std::vector<ScriptValue>> RunSelect(TokenCursor& cursor, TableProvider& tables,
                                                const ExpressionContext& outer) {
  RunningSelect query(cursor, tables, outer);
  std::vector<std::vector<ScriptValue>> rows;
  while (auto row = query.Next()) {
    if (rows.size() >= kMaxQueryRows)
      cursor.Fail("the query gives more than " + std::to_string(kMaxQueryRows) +
                  " rows, the most the embedded instance holds for one statement");
    rows.push_back(std::move(*row));
  }
  return rows;
}

ScriptValue ToScriptValue(const Variant& value, TypeFamily family) {
  switch (value.Kind()) {
    case VariantKind::Null:
    case VariantKind::Empty:
      return ScriptValue::Null();
    case VariantKind::Decimal:
      return ScriptValue::Number(value.Data());
    case VariantKind::Double: {
      ScriptValue number =
          ScriptValue::Number(MakeDecimal(value.ToText().value_or("0")).value_or("0"));
      number.kind = Kind::Double;
      return number;
    }
    case VariantKind::Date:
      return ScriptValue::OfDate(value.AsDate());
    case VariantKind::ByteArray:
      return ScriptValue::Bytes(value.Data());
    default:
      break;
  }
  if (family == TypeFamily::Timestamp) {
    std::string error;
    if (auto timestamp = ParseTimestampLiteral(value.Data(), error)) return *timestamp;
  }
  return ScriptValue::Text(value.Data());
}

Variant ToDeliveredValue(const ScriptValue& value) {
  switch (value.kind) {
    case Kind::Null:
      return Variant::Null();
    case Kind::Number:
      return Variant::FromDecimal(value.text);
    case Kind::Double:
      return Variant::FromDouble(std::stod(value.text));
    case Kind::Date:
      return Variant::FromDate(value.date);
    case Kind::Timestamp: {
      std::string text = value.date.ToString();
      if (!value.fraction.empty()) text += "." + value.fraction;
      if (!value.zone.empty()) text += " " + value.zone;
      return Variant::FromText(text);
    }
    case Kind::Bytes:
      return Variant::FromBytes(value.text);
    case Kind::EmptyLob:
      return Variant::FromText("");
    case Kind::Text:
      break;
  }
  return Variant::FromText(value.text);
}

}  // namespace skerrow::oracle
