// Runs the anonymous blocks of a script: their variables, statements, FOR loops, EXECUTE
// IMMEDIATE and exception handlers.
#include "oracle/loader/plsql_block.h"

#include "oracle/loader/plsql_scope.h"
#include "oracle/loader/script_loader.h"
#include "oracle/sql_datetime.h"
#include "oracle/sql_decimal.h"
#include "oracle/sql_error.h"
#include "oracle/type_family.h"
#include "oracle/user_message.h"
#include "text/ascii.h"
#include "text/hex.h"
#include "text/utf8.h"

namespace skerrow::oracle {

namespace {

// The most statements one block runs, loops included: nested loops must not run for days.
constexpr long kMaxBlockStatements = 100'000'000;
constexpr int kMaxPlsqlString = 32767;

[[noreturn]] void ValueError(int line, const std::string& detail) {
  throw StatementError(line, "ORA-06502: PL/SQL: numeric or value error: " + detail);
}

int Integer(TokenCursor& cursor) {
  const Token& token = cursor.Next();
  if (token.kind != TokenKind::Number) cursor.FailUnexpected("a number");
  return std::stoi(token.text);
}

}  // namespace

class BlockRunner {
 public:
  BlockRunner(ScriptLoader& loader, LoadResult& result, std::string_view text)
      : loader_(loader), result_(result), text_(text) {}

  void Run(const PlsqlBlock& block, ScriptLoader::Scope* parent) {
    ScriptLoader::Scope scope;
    scope.parent = parent;
    for (const auto& [name, code] : block.exceptionCodes) scope.exceptions[name] = code;
    for (const PlsqlDeclaration& declaration : block.declarations) {
      if (declaration.exception) {
        scope.exceptions.emplace(declaration.name, 0);
        continue;
      }
      ScriptLoader::Scope::Variable variable = Declared(declaration, scope);
      if (!declaration.initial.empty())
        variable.value = Fit(Evaluate(declaration.initial, scope), variable, declaration.line);
      scope.variables[declaration.name] = std::move(variable);
    }
    try {
      RunStatements(block.body, scope);
    } catch (const std::runtime_error& error) {
      const long code = ErrorCodeOf(error.what());
      for (const PlsqlHandler& handler : block.handlers) {
        if (!Handles(handler, code, scope)) continue;
        scope.sqlCode = code;
        scope.sqlErrm = UserMessageOf(error).text;
        RunStatements(handler.body, scope);
        return;
      }
      throw;
    }
  }

 private:
  bool Handles(const PlsqlHandler& handler, long code, ScriptLoader::Scope& scope) const {
    for (const std::string& name : handler.names) {
      if (name == "OTHERS") return true;
      for (ScriptLoader::Scope* s = &scope; s; s = s->parent)
        if (auto found = s->exceptions.find(name); found != s->exceptions.end())
          if (found->second != 0 && found->second == code) return true;
      if (const long predefined = PredefinedExceptionCode(name); predefined && predefined == code)
        return true;
    }
    return false;
  }

  ScriptValue Evaluate(const std::vector<Token>& tokens, ScriptLoader::Scope& scope) {
    const ScopeSwitch in(loader_.currentScope_, &scope);
    TokenCursor cursor(tokens);
    ScriptValue value = EvaluateExpression(cursor, loader_.context_);
    if (!cursor.AtEnd()) cursor.FailUnexpected("the end of the expression");
    return value;
  }

  // The declared type as a column of a table would have it.
  ScriptLoader::Scope::Variable Declared(const PlsqlDeclaration& declaration,
                                         ScriptLoader::Scope& scope) {
    ScriptLoader::Scope::Variable variable;
    variable.constant = declaration.constant;
    ColumnDefinition& type = variable.type;
    TokenCursor cursor(declaration.type);
    const std::vector<Token>& tokens = declaration.type;
    if (tokens.size() >= 4 && tokens[tokens.size() - 3].IsSymbol("%")) {
      // name%TYPE, table.column%TYPE, owner.table.column%TYPE
      std::vector<std::string> path;
      for (std::size_t i = 0; i + 3 < tokens.size(); i += 2) path.push_back(tokens[i].Name());
      if (path.size() == 1) {
        if (ScriptLoader::Scope::Variable* other = scope.Find(path[0])) {
          variable.type = other->type;
          variable.boolean = other->boolean;
          return variable;
        }
      }
      if (path.size() < 2 || path.size() > 3)
        throw StatementError(declaration.line,
                             "PLS-00201: identifier '" + path.front() + "' must be declared");
      const std::string owner = loader_.OwnerOr(path.size() == 3 ? path[0] : "", cursor);
      const auto& known = loader_.TableFor(owner, path[path.size() - 2], cursor);
      for (const ColumnDefinition& column : known.columns)
        if (column.name == path.back()) type = column;
      if (type.name.empty())
        throw StatementError(declaration.line,
                             "PLS-00302: component '" + path.back() + "' must be declared");
      type.nullable = true;
      type.dataDefault.reset();
      type.identity.reset();
      return variable;
    }
    const std::string word = cursor.Name("a type");
    type.name = declaration.name;
    if (word == "VARCHAR2" || word == "VARCHAR" || word == "NVARCHAR2" || word == "STRING" ||
        word == "CHAR" || word == "NCHAR" || word == "CHARACTER") {
      type.dataType =
          word.find("CHAR") == 0 || word == "NCHAR" || word == "CHARACTER" ? "CHAR" : "VARCHAR2";
      type.dataLength = 1;
      type.charUsed = "B";
      if (cursor.AcceptSymbol("(")) {
        type.dataLength = Integer(cursor);
        if (cursor.AcceptWord("CHAR")) type.charUsed = "C";
        cursor.AcceptWord("BYTE");
        cursor.ExpectSymbol(")");
      } else if (type.dataType == "VARCHAR2") {
        throw StatementError(declaration.line,
                             "PLS-00215: String length constraints must be in range (1 .. 32767)");
      }
      if (type.dataLength < 1 || type.dataLength > kMaxPlsqlString)
        throw StatementError(declaration.line,
                             "PLS-00215: String length constraints must be in range (1 .. 32767)");
      type.charLength = type.dataLength;
    } else if (word == "BOOLEAN") {
      variable.boolean = true;
    } else if (word == "DATE") {
      type.dataType = "DATE";
    } else if (word == "TIMESTAMP") {
      type.dataType = "TIMESTAMP(6)";
    } else if (word == "CLOB" || word == "NCLOB" || word == "LONG") {
      type.dataType = "CLOB";
    } else if (word == "BLOB" || word == "RAW") {
      type.dataType = word;
      type.dataLength = kMaxPlsqlString;
      if (cursor.AcceptSymbol("(")) {
        type.dataLength = Integer(cursor);
        cursor.ExpectSymbol(")");
      }
    } else {
      type.dataType = "NUMBER";
      const bool integer = word != "NUMBER" && word != "NUMERIC" && word != "DECIMAL" &&
                           word != "DEC" && word != "FLOAT" && word != "REAL" && word != "DOUBLE" &&
                           word != "BINARY_FLOAT" && word != "BINARY_DOUBLE";
      if (integer) type.dataScale = 0;
      if (cursor.AcceptSymbol("(")) {
        type.dataPrecision = Integer(cursor);
        if (cursor.AcceptSymbol(","))
          type.dataScale = Integer(cursor);
        else if (word == "NUMBER" || word == "NUMERIC" || word == "DECIMAL")
          type.dataScale = 0;
        cursor.ExpectSymbol(")");
      }
    }
    return variable;
  }

  // A value converted to a variable's type, as PL/SQL converts on assignment.
  ScriptValue Fit(const ScriptValue& value, const ScriptLoader::Scope::Variable& variable,
                  int line) {
    using Kind = ScriptValue::Kind;
    if (value.IsNull() || variable.boolean) return value;
    const ColumnDefinition& type = variable.type;
    const ExpressionContext& context = loader_.context_;
    switch (FamilyOfDataType(type.dataType)) {
      case TypeFamily::VarChar:
      case TypeFamily::FixedChar:
      case TypeFamily::Long: {
        std::string text = ValueAsText(value, context);
        const std::size_t length = type.charUsed == "C" ? text::Utf8Length(text) : text.size();
        if (length > static_cast<std::size_t>(type.dataLength))
          ValueError(line, "character string buffer too small");
        if (type.dataType == "CHAR" && length < static_cast<std::size_t>(type.dataLength))
          text.append(static_cast<std::size_t>(type.dataLength) - length, ' ');
        return ScriptValue::Text(std::move(text));
      }
      case TypeFamily::CharLob:
        return value.kind == Kind::EmptyLob ? value
                                            : ScriptValue::Text(ValueAsText(value, context));
      case TypeFamily::Number: {
        std::string exact;
        if (value.kind == Kind::Number || value.kind == Kind::Double) {
          exact = value.text;
        } else if (value.kind == Kind::Text) {
          auto parsed = MakeDecimal(text::TrimWhiteSpace(value.text));
          if (!parsed) ValueError(line, "character to number conversion error");
          exact = *parsed;
        } else {
          throw StatementError(line, "PLS-00382: expression is of wrong type");
        }
        if (type.dataScale) exact = DecimalRound(exact, *type.dataScale);
        if (type.dataPrecision &&
            DecimalIntegerDigits(exact) > *type.dataPrecision - type.dataScale.value_or(0))
          ValueError(line, "number precision too large");
        return ScriptValue::Number(exact);
      }
      case TypeFamily::Date:
      case TypeFamily::Timestamp: {
        const bool date = type.dataType == "DATE";
        ScriptValue result = value;
        if (value.kind == Kind::Text) {
          std::string error;
          auto parsed = ParseWithFormat(
              value.text, date ? context.dateFormat : "DD-MON-RR HH.MI.SSXFF AM", date, error);
          if (!parsed) throw StatementError(line, error);
          result = *parsed;
        } else if (value.kind != Kind::Date && value.kind != Kind::Timestamp) {
          throw StatementError(line, "PLS-00382: expression is of wrong type");
        }
        result.kind = date ? Kind::Date : Kind::Timestamp;
        if (date) result.fraction.clear();
        return result;
      }
      case TypeFamily::Raw:
      case TypeFamily::Blob: {
        if (value.kind == Kind::Bytes || value.kind == Kind::EmptyLob) return value;
        if (value.kind != Kind::Text)
          throw StatementError(line, "PLS-00382: expression is of wrong type");
        auto bytes = text::BytesOfHex(value.text);
        if (!bytes) ValueError(line, "hex to raw conversion error");
        return ScriptValue::Bytes(*bytes);
      }
      default:
        return value;
    }
  }

  void Count(int line) {
    if (++executed_ > kMaxBlockStatements)
      throw StatementError(line, "the block runs more than " + std::to_string(kMaxBlockStatements) +
                                     " statements, the loader's limit for one block");
  }

  void RunStatements(const std::vector<PlsqlStatement>& statements, ScriptLoader::Scope& scope) {
    for (const PlsqlStatement& statement : statements) {
      Count(statement.line);
      try {
        RunStatement(statement, scope);
      } catch (const StatementError&) {
        throw;
      } catch (const std::runtime_error& error) {
        throw StatementError(statement.line, UserMessageOf(error).text);
      }
    }
  }

  void RunStatement(const PlsqlStatement& statement, ScriptLoader::Scope& scope) {
    switch (statement.kind) {
      case PlsqlStatement::Kind::Null:
        return;
      case PlsqlStatement::Kind::Assign: {
        ScriptLoader::Scope::Variable* variable = scope.Find(statement.name);
        if (!variable)
          throw StatementError(statement.line,
                               "PLS-00201: identifier '" + statement.name + "' must be declared");
        if (variable->constant)
          throw StatementError(statement.line, "PLS-00363: expression '" + statement.name +
                                                   "' cannot be used as an assignment target");
        ScriptValue value = Evaluate(statement.tokens, scope);
        variable->value = Fit(value, *variable, statement.line);
        return;
      }
      case PlsqlStatement::Kind::Sql:
        loader_.RunTokens(text_, statement.tokens, statement.line, result_, &scope);
        return;
      case PlsqlStatement::Kind::For:
        RunFor(statement, scope);
        return;
      case PlsqlStatement::Kind::Execute: {
        const std::string sql =
            text::TrimWhiteSpace(ValueAsText(Evaluate(statement.tokens, scope), loader_.context_));
        const std::string head = text::ToUpperAscii(sql.substr(0, 8));
        if (head.starts_with("BEGIN") || head.starts_with("DECLARE")) {
          loader_.RunBlockText(sql, statement.line, result_, &scope);
          return;
        }
        std::vector<Token> tokens = Tokenize(sql, statement.line);
        for (Token& token : tokens) token.line = statement.line;
        if (tokens.size() >= 2 && tokens[tokens.size() - 2].IsSymbol(";"))
          throw StatementError(statement.line, "ORA-00911: invalid character");
        loader_.RunTokens(sql, tokens, statement.line, result_, &scope);
        return;
      }
      case PlsqlStatement::Kind::Output: {
        // DBMS_OUTPUT has no effect; its arguments are still evaluated, as Oracle does.
        if (statement.tokens.size() <= 1) return;
        const ScopeSwitch in(loader_.currentScope_, &scope);
        TokenCursor cursor(statement.tokens);
        cursor.ExpectSymbol("(");
        if (!cursor.AcceptSymbol(")")) {
          do {
            EvaluateExpression(cursor, loader_.context_);
          } while (cursor.AcceptSymbol(","));
          cursor.ExpectSymbol(")");
        }
        return;
      }
      case PlsqlStatement::Kind::Block:
        Run(*statement.block, &scope);
        return;
    }
  }

  long long Bound(const std::vector<Token>& tokens, ScriptLoader::Scope& scope, int line) {
    const ScriptValue value = Evaluate(tokens, scope);
    if (value.IsNull()) ValueError(line, "the bound of a FOR loop is NULL");
    std::string exact = value.text;
    if (value.kind == ScriptValue::Kind::Text)
      exact = MakeDecimal(text::TrimWhiteSpace(value.text)).value_or("");
    if (exact.empty() ||
        (value.kind != ScriptValue::Kind::Number && value.kind != ScriptValue::Kind::Double &&
         value.kind != ScriptValue::Kind::Text))
      ValueError(line, "the bound of a FOR loop is not a number");
    const std::string rounded = DecimalRound(exact, 0);
    if (rounded.size() > 12) ValueError(line, "the bound of a FOR loop is out of range");
    return std::stoll(rounded);
  }

  void RunFor(const PlsqlStatement& loop, ScriptLoader::Scope& scope) {
    const long long low = Bound(loop.low, scope, loop.line);
    const long long high = Bound(loop.high, scope, loop.line);
    if (high < low) return;
    if (high - low + 1 > kMaxLoopIterations)
      throw StatementError(loop.line, "the FOR loop would run " + std::to_string(high - low + 1) +
                                          " times, more than the loader's limit of " +
                                          std::to_string(kMaxLoopIterations));
    ScriptLoader::Scope inner;
    inner.parent = &scope;
    ScriptLoader::Scope::Variable& index = inner.variables[loop.name];
    index.constant = true;
    index.type.dataType = "NUMBER";
    for (long long step = 0; step <= high - low; ++step) {
      index.value = ScriptValue::Number(std::to_string(loop.reverse ? high - step : low + step));
      RunStatements(loop.body, inner);
    }
  }

  ScriptLoader& loader_;
  LoadResult& result_;
  std::string_view text_;
  long executed_ = 0;
};

void ScriptLoader::RunBlock(const ScriptUnit& unit, LoadResult& result) {
  const std::vector<Token> tokens = Tokenize(unit.text, unit.line);
  PlsqlBlock block;
  try {
    block = ParsePlsqlBlock(tokens);
  } catch (const PlsqlUnsupported& unsupported) {
    Notice(unit.line,
           "skipped PL/SQL block: line " + std::to_string(unsupported.Line()) + " uses " +
               unsupported.Construct() + ", which the script loader does not run",
           result);
    return;
  }
  // As in Oracle, an error that leaves the block undoes what the block did.
  const long savepoint = target_.Savepoint();
  try {
    BlockRunner(*this, result, unit.text).Run(block, nullptr);
  } catch (...) {
    target_.RollbackToSavepoint(savepoint);
    throw;
  }
  target_.ReleaseSavepoint(savepoint);
}

void ScriptLoader::RunBlockText(const std::string& text, int line, LoadResult& result,
                                Scope* parent) {
  if (blockDepth_ >= kMaxBlockDepth)
    throw StatementError(line, "blocks run each other more than " + std::to_string(kMaxBlockDepth) +
                                   " deep (EXECUTE IMMEDIATE of blocks), the loader's limit");
  std::vector<Token> tokens = Tokenize(text, line);
  for (Token& token : tokens) token.line = line;
  PlsqlBlock block;
  try {
    block = ParsePlsqlBlock(tokens);
  } catch (const PlsqlUnsupported& unsupported) {
    throw StatementError(line, "EXECUTE IMMEDIATE of a block that uses " + unsupported.Construct() +
                                   ", which the script loader does not run");
  }
  ++blockDepth_;
  struct Restore {
    int& depth;
    ~Restore() { --depth; }
  } restore{blockDepth_};
  BlockRunner(*this, result, text).Run(block, parent);
}

}  // namespace skerrow::oracle
