#include "oracle/row_query.h"

#include "oracle/oracle_names.h"
#include "oracle/sql_cursor.h"

namespace skerrow::oracle {

namespace {

// Words that end a table reference instead of naming its alias.
bool IsClauseWord(const Token& token) {
  for (const char* word :
       {"WHERE", "ORDER", "GROUP", "HAVING", "CONNECT", "START", "UNION", "MINUS", "INTERSECT",
        "FOR", "JOIN", "INNER", "LEFT", "RIGHT", "FULL", "CROSS", "NATURAL", "FETCH", "OFFSET"})
    if (token.IsWord(word)) return true;
  return false;
}

class Parser {
 public:
  explicit Parser(const std::vector<Token>& tokens) : cursor_(tokens) {}

  RowQuery Parse() {
    RowQuery query;
    if (!cursor_.AcceptWord("SELECT")) cursor_.Fail("ORA-00900: invalid SQL statement");
    if (cursor_.Peek().IsWord("FROM") || cursor_.AtEnd())
      cursor_.Fail("ORA-00936: missing expression");
    query.items.push_back(ParseItem());
    while (cursor_.AcceptSymbol(",")) query.items.push_back(ParseItem());
    if (!cursor_.AcceptWord("FROM"))
      cursor_.Fail("ORA-00923: FROM keyword not found where expected");
    if (!cursor_.PeekIsName()) cursor_.Fail("ORA-00903: invalid table name");
    std::vector<std::string> table = ParsePath();
    if (table.size() > 2) cursor_.Fail("ORA-00933: SQL command not properly ended");
    if (table.size() == 2) query.owner = table[0];
    query.table = table.back();
    if (cursor_.PeekIsName() && !IsClauseWord(cursor_.Peek())) query.alias = cursor_.Next().Name();
    if (cursor_.Peek().IsSymbol(";")) cursor_.Fail("ORA-00911: invalid character");
    if (!cursor_.AtEnd()) cursor_.Fail("ORA-00933: SQL command not properly ended");
    return query;
  }

 private:
  std::vector<std::string> ParsePath() {
    std::vector<std::string> path;
    if (!cursor_.PeekIsName()) cursor_.Fail("ORA-00936: missing expression");
    path.push_back(cursor_.Next().Name());
    while (cursor_.AcceptSymbol(".")) {
      if (!cursor_.PeekIsName())
        cursor_.Fail("ORA-01747: invalid user.table.column, table.column, or column name");
      path.push_back(cursor_.Next().Name());
    }
    return path;
  }

  void Expect(const char* symbol, const char* message) {
    if (!cursor_.AcceptSymbol(symbol)) cursor_.Fail(message);
  }

  SelectItem ParseItem() {
    SelectItem item;
    if (cursor_.AcceptSymbol("*")) {
      item.form = SelectItem::Form::AllColumns;
      return item;
    }
    std::vector<std::string> path = ParsePath();
    if (!cursor_.AcceptSymbol("(")) {
      item.path = std::move(path);
      return item;
    }
    const bool utlRaw = path.size() == 2 && path[0] == "UTL_RAW";
    if (utlRaw && (path[1] == "CAST_TO_RAW" || path[1] == "CAST_TO_VARCHAR2")) {
      item.form =
          path[1] == "CAST_TO_RAW" ? SelectItem::Form::CastToRaw : SelectItem::Form::CastToVarchar2;
      if (cursor_.Peek().IsSymbol(")")) cursor_.Fail("ORA-00909: invalid number of arguments");
      item.path = ParsePath();
      if (cursor_.Peek().IsSymbol(",")) cursor_.Fail("ORA-00909: invalid number of arguments");
      Expect(")", "ORA-00907: missing right parenthesis");
      return item;
    }
    if (path.size() >= 2 && path.back() == "GETURL") {
      Expect(")", "ORA-00909: invalid number of arguments");
      path.pop_back();
      item.form = SelectItem::Form::GetUrl;
      item.path = std::move(path);
      return item;
    }
    cursor_.Fail("ORA-00904: " + WrittenPath(path) + ": invalid identifier");
  }

  TokenCursor cursor_;
};

}  // namespace

RowQuery ParseRowQuery(const std::vector<Token>& tokens) {
  return Parser(tokens).Parse();
}

std::string WrittenPath(const std::vector<std::string>& path) {
  std::string written;
  for (const auto& name : path) written += (written.empty() ? "" : ".") + QuoteOracleName(name);
  return written;
}

}  // namespace skerrow::oracle
