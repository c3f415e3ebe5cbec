#include "oracle/row_query.h"

#include <stdexcept>

#include "oracle/oracle_names.h"

namespace skerrow::oracle {

namespace {

[[noreturn]] void Fail(const std::string& message) {
  throw std::runtime_error(message);
}

bool IsName(const SqlToken& token) {
  return token.kind == SqlToken::Kind::Word || token.kind == SqlToken::Kind::QuotedName;
}

// Words that end a table reference instead of naming its alias.
bool IsClauseWord(const SqlToken& token) {
  for (const char* word :
       {"WHERE", "ORDER", "GROUP", "HAVING", "CONNECT", "START", "UNION", "MINUS", "INTERSECT",
        "FOR", "JOIN", "INNER", "LEFT", "RIGHT", "FULL", "CROSS", "NATURAL", "FETCH", "OFFSET"})
    if (token.IsWord(word)) return true;
  return false;
}

class Parser {
 public:
  explicit Parser(const std::vector<SqlToken>& tokens) : tokens_(tokens) {}

  RowQuery Parse() {
    RowQuery query;
    if (!Peek().IsWord("SELECT")) Fail("ORA-00900: invalid SQL statement");
    ++at_;
    if (Peek().IsWord("FROM") || Peek().kind == SqlToken::Kind::End)
      Fail("ORA-00936: missing expression");
    query.items.push_back(ParseItem());
    while (Peek().IsSymbol(',')) {
      ++at_;
      query.items.push_back(ParseItem());
    }
    if (!Peek().IsWord("FROM")) Fail("ORA-00923: FROM keyword not found where expected");
    ++at_;
    if (!IsName(Peek())) Fail("ORA-00903: invalid table name");
    std::vector<std::string> table = ParsePath();
    if (table.size() > 2) Fail("ORA-00933: SQL command not properly ended");
    if (table.size() == 2) query.owner = table[0];
    query.table = table.back();
    if (IsName(Peek()) && !IsClauseWord(Peek())) query.alias = tokens_[at_++].Name();
    if (Peek().IsSymbol(';')) Fail("ORA-00911: invalid character");
    if (Peek().kind != SqlToken::Kind::End) Fail("ORA-00933: SQL command not properly ended");
    return query;
  }

 private:
  const SqlToken& Peek() const { return tokens_[at_]; }

  std::vector<std::string> ParsePath() {
    std::vector<std::string> path;
    if (!IsName(Peek())) Fail("ORA-00936: missing expression");
    path.push_back(tokens_[at_++].Name());
    while (Peek().IsSymbol('.')) {
      ++at_;
      if (!IsName(Peek()))
        Fail("ORA-01747: invalid user.table.column, table.column, or column name");
      path.push_back(tokens_[at_++].Name());
    }
    return path;
  }

  void Expect(char symbol, const char* message) {
    if (!Peek().IsSymbol(symbol)) Fail(message);
    ++at_;
  }

  SelectItem ParseItem() {
    SelectItem item;
    if (Peek().IsSymbol('*')) {
      ++at_;
      item.form = SelectItem::Form::AllColumns;
      return item;
    }
    std::vector<std::string> path = ParsePath();
    if (!Peek().IsSymbol('(')) {
      item.path = std::move(path);
      return item;
    }
    ++at_;
    const bool utlRaw = path.size() == 2 && path[0] == "UTL_RAW";
    if (utlRaw && (path[1] == "CAST_TO_RAW" || path[1] == "CAST_TO_VARCHAR2")) {
      item.form =
          path[1] == "CAST_TO_RAW" ? SelectItem::Form::CastToRaw : SelectItem::Form::CastToVarchar2;
      if (Peek().IsSymbol(')')) Fail("ORA-00909: invalid number of arguments");
      item.path = ParsePath();
      if (Peek().IsSymbol(',')) Fail("ORA-00909: invalid number of arguments");
      Expect(')', "ORA-00907: missing right parenthesis");
      return item;
    }
    if (path.size() >= 2 && path.back() == "GETURL") {
      Expect(')', "ORA-00909: invalid number of arguments");
      path.pop_back();
      item.form = SelectItem::Form::GetUrl;
      item.path = std::move(path);
      return item;
    }
    Fail("ORA-00904: " + WrittenPath(path) + ": invalid identifier");
  }

  const std::vector<SqlToken>& tokens_;
  std::size_t at_ = 0;
};

}  // namespace

RowQuery ParseRowQuery(const std::vector<SqlToken>& tokens) {
  return Parser(tokens).Parse();
}

std::string WrittenPath(const std::vector<std::string>& path) {
  std::string written;
  for (const auto& name : path) written += (written.empty() ? "" : ".") + QuoteOracleName(name);
  return written;
}

}  // namespace skerrow::oracle
