#include <array>

#include "oracle/loader/plsql_block.h"
#include "oracle/loader/script_loader.h"
#include "oracle/sql_cursor.h"
#include "oracle/sql_error.h"

namespace skerrow::oracle {

namespace {

// Statements and declarations that start with these words are PL/SQL the loader does not run.
constexpr std::array kUnsupportedStatements = {
    "IF",     "ELSIF", "WHILE",    "LOOP",   "CASE",   "OPEN", "FETCH",  "CLOSE",   "RAISE",
    "RETURN", "EXIT",  "CONTINUE", "GOTO",   "FORALL", "PIPE", "SELECT", "MERGE",   "SAVEPOINT",
    "SET",    "LOCK",  "WITH",     "CREATE", "ALTER",  "DROP", "GRANT",  "TRUNCATE"};
constexpr std::array kUnsupportedDeclarations = {"CURSOR", "TYPE", "SUBTYPE", "PROCEDURE",
                                                 "FUNCTION"};
constexpr std::array kKnownTypes = {"VARCHAR2",
                                    "VARCHAR",
                                    "NVARCHAR2",
                                    "STRING",
                                    "CHAR",
                                    "NCHAR",
                                    "CHARACTER",
                                    "NUMBER",
                                    "NUMERIC",
                                    "DECIMAL",
                                    "DEC",
                                    "INTEGER",
                                    "INT",
                                    "SMALLINT",
                                    "PLS_INTEGER",
                                    "BINARY_INTEGER",
                                    "NATURAL",
                                    "NATURALN",
                                    "POSITIVE",
                                    "POSITIVEN",
                                    "SIMPLE_INTEGER",
                                    "SIGNTYPE",
                                    "FLOAT",
                                    "REAL",
                                    "DOUBLE",
                                    "BINARY_FLOAT",
                                    "BINARY_DOUBLE",
                                    "DATE",
                                    "TIMESTAMP",
                                    "CLOB",
                                    "NCLOB",
                                    "BLOB",
                                    "RAW",
                                    "LONG",
                                    "BOOLEAN"};

class Parser {
 public:
  explicit Parser(const std::vector<Token>& tokens) : tokens_(tokens), cursor_(tokens) {}

  PlsqlBlock Block(int depth) {
    CheckDepth(depth);
    PlsqlBlock block;
    block.line = cursor_.Peek().line;
    if (cursor_.AcceptWord("DECLARE"))
      while (!cursor_.Peek().IsWord("BEGIN")) {
        if (cursor_.AtEnd()) cursor_.FailUnexpected("BEGIN");
        Declaration(block);
      }
    cursor_.ExpectWord("BEGIN");
    block.body = Statements(depth, {"EXCEPTION", "END"});
    if (block.body.empty()) cursor_.FailUnexpected("a statement (PLS-00103)");
    if (cursor_.AcceptWord("EXCEPTION")) {
      while (cursor_.AcceptWord("WHEN")) {
        PlsqlHandler handler;
        do {
          handler.names.push_back(cursor_.Name("an exception name"));
        } while (cursor_.AcceptWord("OR"));
        cursor_.ExpectWord("THEN");
        handler.body = Statements(depth, {"WHEN", "END"});
        block.handlers.push_back(std::move(handler));
      }
      if (block.handlers.empty()) cursor_.FailUnexpected("WHEN");
    }
    cursor_.ExpectWord("END");
    if (cursor_.Peek().IsName() && !cursor_.Peek().IsSymbol(";")) cursor_.Next();  // END label
    cursor_.ExpectSymbol(";");
    return block;
  }

  bool AtEnd() const { return cursor_.AtEnd(); }
  TokenCursor& Cursor() { return cursor_; }

 private:
  // Blocks and loops nest through Block and ForLoop: a text nesting them without end meets an
  // error, not the end of the stack.
  void CheckDepth(int depth) const {
    if (depth > kMaxBlockDepth)
      cursor_.Fail("blocks and loops nest deeper than " + std::to_string(kMaxBlockDepth) +
                   " levels, the loader's limit");
  }

  [[noreturn]] void Unsupported(const std::string& construct) const {
    throw PlsqlUnsupported(cursor_.Peek().line, construct);
  }

  // The tokens from the cursor up to (not including) the next ";" at its own level, with an
  // End token after them; the cursor moves past the ";".
  std::vector<Token> UpToSemicolon() {
    std::vector<Token> taken;
    int depth = 0;
    while (true) {
      const Token& token = cursor_.Peek();
      if (token.kind == TokenKind::End) cursor_.FailUnexpected("\";\"");
      if (depth == 0 && token.IsSymbol(";")) break;
      if (token.IsSymbol("(")) ++depth;
      if (token.IsSymbol(")")) --depth;
      taken.push_back(cursor_.Next());
    }
    cursor_.Next();
    return Ended(std::move(taken));
  }

  static std::vector<Token> Ended(std::vector<Token> taken) {
    Token end;
    end.kind = TokenKind::End;
    if (!taken.empty()) {
      end.begin = end.end = taken.back().end;
      end.line = taken.back().line;
    }
    taken.push_back(end);
    return taken;
  }

  void Declaration(PlsqlBlock& block) {
    const Token& first = cursor_.Peek();
    if (first.IsWord("PRAGMA")) {
      cursor_.Next();
      if (!cursor_.AcceptWord("EXCEPTION_INIT")) Unsupported("PRAGMA " + cursor_.Peek().Name());
      cursor_.ExpectSymbol("(");
      const std::string name = cursor_.Name("an exception name");
      cursor_.ExpectSymbol(",");
      const bool negative = cursor_.AcceptSymbol("-");
      const Token& number = cursor_.Next();
      if (number.kind != TokenKind::Number) cursor_.FailUnexpected("an error number");
      block.exceptionCodes.emplace_back(name, (negative ? -1 : 1) * std::stol(number.text));
      cursor_.ExpectSymbol(")");
      cursor_.ExpectSymbol(";");
      return;
    }
    for (const char* word : kUnsupportedDeclarations)
      if (first.IsWord(word)) Unsupported(std::string(word) + " declarations");
    PlsqlDeclaration declaration;
    declaration.line = first.line;
    declaration.name = cursor_.Name("a variable name");
    if (cursor_.AcceptWord("EXCEPTION")) {
      declaration.exception = true;
      cursor_.ExpectSymbol(";");
      block.declarations.push_back(std::move(declaration));
      return;
    }
    declaration.constant = cursor_.AcceptWord("CONSTANT");
    std::vector<Token> type;
    int depth = 0;
    while (true) {
      const Token& token = cursor_.Peek();
      if (token.kind == TokenKind::End) cursor_.FailUnexpected("\";\"");
      if (depth == 0 && (token.IsSymbol(";") || token.IsSymbol(":=") || token.IsWord("DEFAULT") ||
                         (token.IsWord("NOT") && cursor_.Peek(1).IsWord("NULL"))))
        break;
      if (token.IsSymbol("(")) ++depth;
      if (token.IsSymbol(")")) --depth;
      type.push_back(cursor_.Next());
    }
    if (type.empty()) cursor_.FailUnexpected("a type");
    const bool anchored = type.size() >= 3 && type[type.size() - 2].IsSymbol("%");
    if (anchored && !type.back().IsWord("TYPE")) Unsupported("%" + type.back().Name());
    bool known = anchored;
    for (const char* name : kKnownTypes) known = known || type.front().IsWord(name);
    if (!known) Unsupported("variables of the type " + type.front().Name());
    declaration.type = Ended(std::move(type));
    if (cursor_.AcceptWord("NOT")) cursor_.ExpectWord("NULL");
    if (cursor_.AcceptSymbol(":=") || cursor_.AcceptWord("DEFAULT"))
      declaration.initial = UpToSemicolon();
    else
      cursor_.ExpectSymbol(";");
    block.declarations.push_back(std::move(declaration));
  }

  bool AtStop(std::initializer_list<const char*> stops) const {
    for (const char* stop : stops)
      if (cursor_.Peek().IsWord(stop)) return true;
    return false;
  }

  std::vector<PlsqlStatement> Statements(int depth, std::initializer_list<const char*> stops) {
    std::vector<PlsqlStatement> statements;
    while (!AtStop(stops)) {
      if (cursor_.AtEnd()) cursor_.FailUnexpected("END");
      statements.push_back(Statement(depth));
    }
    return statements;
  }

  PlsqlStatement Statement(int depth) {
    PlsqlStatement statement;
    const Token& first = cursor_.Peek();
    statement.line = first.line;
    if (first.IsSymbol("<")) Unsupported("labels (<<name>>)");
    for (const char* word : kUnsupportedStatements)
      if (first.IsWord(word)) Unsupported(word);
    if (first.IsWord("NULL") && cursor_.Peek(1).IsSymbol(";")) {
      cursor_.Next();
      cursor_.Next();
      return statement;
    }
    if (first.IsWord("BEGIN") || first.IsWord("DECLARE")) {
      statement.kind = PlsqlStatement::Kind::Block;
      statement.block = std::make_shared<PlsqlBlock>(Block(depth + 1));
      return statement;
    }
    if (first.IsWord("FOR")) return ForLoop(depth);
    if (first.IsWord("EXECUTE") && cursor_.Peek(1).IsWord("IMMEDIATE")) {
      cursor_.Next();
      cursor_.Next();
      statement.kind = PlsqlStatement::Kind::Execute;
      statement.tokens = UpToSemicolon();
      for (const Token& token : statement.tokens)
        if (token.IsWord("USING") || token.IsWord("INTO") || token.IsWord("RETURNING") ||
            token.IsWord("BULK"))
          throw PlsqlUnsupported(token.line, "EXECUTE IMMEDIATE ... " + token.Name());
      return statement;
    }
    if (first.IsWord("INSERT") || first.IsWord("UPDATE") || first.IsWord("DELETE") ||
        first.IsWord("COMMIT") || first.IsWord("ROLLBACK")) {
      statement.kind = PlsqlStatement::Kind::Sql;
      statement.tokens = UpToSemicolon();
      for (const Token& token : statement.tokens)
        if (token.IsWord("RETURNING") || token.IsWord("BULK"))
          throw PlsqlUnsupported(token.line, token.Name() + " ... INTO");
      return statement;
    }
    if (!first.IsName()) cursor_.FailUnexpected("a statement");
    // A name: an assignment, DBMS_OUTPUT, or a call of a procedure.
    std::vector<std::string> path{cursor_.Next().Name()};
    while (cursor_.Peek().IsSymbol(".") && cursor_.PeekIsName(1)) {
      cursor_.Next();
      path.push_back(cursor_.Next().Name());
    }
    std::string written;
    for (const auto& part : path) written += (written.empty() ? "" : ".") + part;
    if (cursor_.AcceptSymbol(":=")) {
      if (path.size() != 1) Unsupported("assignments to " + written);
      statement.kind = PlsqlStatement::Kind::Assign;
      statement.name = path[0];
      statement.tokens = UpToSemicolon();
      return statement;
    }
    const bool output = path.size() == 2 && (path[0] == "DBMS_OUTPUT") &&
                        (path[1] == "PUT_LINE" || path[1] == "PUT" || path[1] == "NEW_LINE" ||
                         path[1] == "ENABLE" || path[1] == "DISABLE");
    if (!output) Unsupported("a call of " + written);
    statement.kind = PlsqlStatement::Kind::Output;
    statement.tokens = UpToSemicolon();
    return statement;
  }

  PlsqlStatement ForLoop(int depth) {
    CheckDepth(depth + 1);
    PlsqlStatement statement;
    statement.kind = PlsqlStatement::Kind::For;
    statement.line = cursor_.Next().line;
    statement.name = cursor_.Name("a loop index");
    cursor_.ExpectWord("IN");
    statement.reverse = cursor_.AcceptWord("REVERSE");
    if (cursor_.Peek().IsSymbol("(")) Unsupported("FOR ... IN (query) loops");
    std::vector<Token> low;
    int level = 0;
    while (!(level == 0 && cursor_.Peek().IsSymbol(".."))) {
      if (cursor_.AtEnd() || (level == 0 && cursor_.Peek().IsWord("LOOP")))
        Unsupported("cursor FOR loops");
      if (cursor_.Peek().IsSymbol("(")) ++level;
      if (cursor_.Peek().IsSymbol(")")) --level;
      low.push_back(cursor_.Next());
    }
    cursor_.Next();
    std::vector<Token> high;
    while (!cursor_.Peek().IsWord("LOOP")) {
      if (cursor_.AtEnd()) cursor_.FailUnexpected("LOOP");
      high.push_back(cursor_.Next());
    }
    cursor_.Next();
    statement.low = Ended(std::move(low));
    statement.high = Ended(std::move(high));
    statement.body = Statements(depth + 1, {"END"});
    if (statement.body.empty()) cursor_.FailUnexpected("a statement (PLS-00103)");
    cursor_.ExpectWord("END");
    cursor_.ExpectWord("LOOP");
    if (cursor_.Peek().IsName()) cursor_.Next();  // END LOOP label
    cursor_.ExpectSymbol(";");
    return statement;
  }

  const std::vector<Token>& tokens_;
  TokenCursor cursor_;
};

}  // namespace

PlsqlBlock ParsePlsqlBlock(const std::vector<Token>& tokens) {
  Parser parser(tokens);
  PlsqlBlock block = parser.Block(1);
  if (!parser.AtEnd()) parser.Cursor().FailUnexpected("the end of the block");
  return block;
}

long ErrorCodeOf(const std::string& message) {
  const std::size_t at = message.find("ORA-");
  if (at != 0 || message.size() < 9) return 0;
  long code = 0;
  for (std::size_t i = 4; i < 9; ++i) {
    if (message[i] < '0' || message[i] > '9') return 0;
    code = code * 10 + (message[i] - '0');
  }
  return code == 1403 ? 100 : -code;
}

long PredefinedExceptionCode(const std::string& name) {
  static const std::pair<const char*, long> kExceptions[] = {
      {"DUP_VAL_ON_INDEX", -1},          {"NO_DATA_FOUND", 100},
      {"TOO_MANY_ROWS", -1422},          {"VALUE_ERROR", -6502},
      {"INVALID_NUMBER", -1722},         {"ZERO_DIVIDE", -1476},
      {"INVALID_CURSOR", -1001},         {"CURSOR_ALREADY_OPEN", -6511},
      {"LOGIN_DENIED", -1017},           {"NOT_LOGGED_ON", -1012},
      {"PROGRAM_ERROR", -6501},          {"STORAGE_ERROR", -6500},
      {"TIMEOUT_ON_RESOURCE", -51},      {"ROWTYPE_MISMATCH", -6504},
      {"CASE_NOT_FOUND", -6592},         {"COLLECTION_IS_NULL", -6531},
      {"SUBSCRIPT_BEYOND_COUNT", -6533}, {"SUBSCRIPT_OUTSIDE_LIMIT", -6532},
      {"ACCESS_INTO_NULL", -6530},       {"SYS_INVALID_ROWID", -1410},
  };
  for (const auto& [known, code] : kExceptions)
    if (name == known) return code;
  return 0;
}

}  // namespace skerrow::oracle
