#include "oracle/loader/script_loader.h"

#include <array>
#include <fstream>
#include <set>
#include <sstream>

#include "oracle/large_stack.h"
#include "oracle/loader/plsql_scope.h"
#include "oracle/loader/script_conversion.h"
#include "oracle/oracle_names.h"
#include "oracle/sql_lexer.h"
#include "oracle/user_message.h"
#include "text/ascii.h"
#include "text/utf8.h"

namespace skerrow::oracle {

namespace {

// Statements a converter does not need, by their leading words, with why they are skipped.
struct SkippedStatement {
  std::vector<std::string> words;  // after CREATE [OR REPLACE] where it applies
  const char* what;
};

const std::vector<SkippedStatement>& SkippedCreates() {
  static const std::vector<SkippedStatement> kSkipped = {
      {{"VIEW"}, "CREATE VIEW"},
      {{"FORCE", "VIEW"}, "CREATE VIEW"},
      {{"NOFORCE", "VIEW"}, "CREATE VIEW"},
      {{"MATERIALIZED", "VIEW"}, "CREATE MATERIALIZED VIEW"},
      {{"EDITIONING", "VIEW"}, "CREATE VIEW"},
      {{"SYNONYM"}, "CREATE SYNONYM"},
      {{"PUBLIC", "SYNONYM"}, "CREATE PUBLIC SYNONYM"},
      {{"DATABASE", "LINK"}, "CREATE DATABASE LINK"},
      {{"PUBLIC", "DATABASE"}, "CREATE PUBLIC DATABASE LINK"},
      {{"DIRECTORY"}, "CREATE DIRECTORY"},
      {{"ROLE"}, "CREATE ROLE"},
      {{"TABLESPACE"}, "CREATE TABLESPACE"},
      {{"CONTEXT"}, "CREATE CONTEXT"},
      {{"CLUSTER"}, "CREATE CLUSTER"},
  };
  return kSkipped;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  std::ostringstream contents;
  contents << in.rdbuf();
  return contents.str();
}

}  // namespace

std::string ColumnPath(const std::string& owner, const std::string& table,
                       const std::string& column) {
  return QuoteOracleName(owner) + "." + QuoteOracleName(table) + "." + QuoteOracleName(column);
}

namespace {

// The start of a statement, to name it in a message: "INSERT INTO emp VALUES (7369, ...".
std::string StatementHead(const ScriptUnit& unit) {
  std::string head = text::TrimWhiteSpace(unit.text.substr(0, unit.text.find('\n')));
  if (text::Utf8Length(head) > 40) head = std::string(text::Utf8Prefix(head, 40)) + "...";
  return head;
}

std::string LeadingWords(TokenCursor& cursor, std::size_t count) {
  std::string words;
  for (std::size_t i = 0; i < count && cursor.Peek(i).kind == TokenKind::Word; ++i)
    words += (i ? " " : "") + text::ToUpperAscii(cursor.Peek(i).text);
  return words;
}

}  // namespace

std::string ScriptNotice::ToString() const {
  return script + ", line " + std::to_string(line) + ": " + text;
}

std::string ScriptFailure::ToString() const {
  return script + ", line " + std::to_string(line) + ": " + message;
}

int LoadResult::SkippedCount() const {
  int count = 0;
  for (const auto& notice : notices) count += notice.skipped ? 1 : 0;
  return count;
}

std::string LoadResult::Summary(const std::string& script) const {
  std::string line = script + ": " + std::to_string(statementsRun) +
                     (statementsRun == 1 ? " statement, " : " statements, ") +
                     std::to_string(rowsInserted) + (rowsInserted == 1 ? " row" : " rows");
  if (!rowsByTable.empty()) {
    line += " (";
    for (std::size_t i = 0; i < rowsByTable.size(); ++i)
      line += (i ? ", " : "") + rowsByTable[i].first + " " + std::to_string(rowsByTable[i].second);
    line += ")";
  }
  line += ", " + std::to_string(SkippedCount()) + " skipped";
  if (!failures.empty()) line += ", " + std::to_string(failures.size()) + " failed";
  return line;
}

ScriptLoader::ScriptLoader(ScriptTarget& target) : target_(target) {
  context_.resolveName = [this](const std::vector<std::string>& path) {
    return ResolveName(path, currentScope_);
  };
  context_.objectTypes = target_.ObjectTypes();
}

LoadResult ScriptLoader::LoadFile(const std::filesystem::path& script) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(script, error))
    throw ScriptError(script.string(), 0, "the script cannot be read: no such file");
  std::ifstream probe(script, std::ios::binary);
  if (!probe) throw ScriptError(script.string(), 0, "the script cannot be read: access denied");
  return LoadText(ReadFile(script), script.filename().string(), script.parent_path());
}

LoadResult ScriptLoader::LoadText(std::string_view text, const std::string& scriptName,
                                  const std::filesystem::path& directory) {
  script_ = scriptName;
  directory_ = directory;
  LoadResult result;
  exited_ = false;
  // A script may nest expressions and blocks up to the loader's limits: the stack for that
  // must not depend on the thread that loads.
  RunWithLargeStack([&] { RunScript(text, result); });
  // SQL*Plus commits when a script's session ends (EXITCOMMIT is on by default).
  if (!exitedWithRollback_) target_.Commit();
  exitedWithRollback_ = false;
  return result;
}

void ScriptLoader::RunScript(std::string_view text, LoadResult& result) {
  // A UTF-8 byte-order mark at the start is not part of the first statement, as in SQL*Plus.
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  std::vector<ScriptUnit> units;
  try {
    units = SplitScript(text);
  } catch (const StatementError& error) {
    throw ScriptError(script_, error.Line(), error.what());
  }
  for (const ScriptUnit& unit : units) {
    if (exited_) break;  // SQL*Plus reads nothing after EXIT
    try {
      try {
        RunUnit(unit, result);
      } catch (const ScriptError&) {
        throw;
      } catch (const StatementError& error) {
        throw ScriptError(script_, error.Line(), error.what());
      } catch (const std::exception& error) {
        const UserMessage message = UserMessageOf(error);
        throw ScriptError(
            script_, unit.line,
            message.translated ? StatementHead(unit) + ": " + message.text : message.text);
      }
    } catch (const ScriptError& error) {
      // An error of an included script belongs to that script; only the outermost one decides.
      if (!continueOnError_ || error.Line() == 0) throw;
      result.failures.push_back(ScriptFailure{error.Script(), error.Line(), error.Message()});
    }
  }
}

void ScriptLoader::Notice(int line, std::string text, LoadResult& result) {
  const bool skipped = text.starts_with("skipped");
  if (skipped && strict_) throw StatementError(line, text + " (an error with --strict)");
  result.notices.push_back(ScriptNotice{script_, line, std::move(text), skipped});
}

void ScriptLoader::CountRows(const std::string& table, long rows, LoadResult& result) {
  if (rows == 0) return;
  result.rowsInserted += rows;
  for (auto& [name, count] : result.rowsByTable)
    if (name == table) {
      count += rows;
      return;
    }
  result.rowsByTable.emplace_back(table, rows);
}

void ScriptLoader::RunUnit(const ScriptUnit& unit, LoadResult& result) {
  switch (unit.kind) {
    case ScriptUnit::Kind::SqlPlus:
      RunSqlPlus(unit, result);
      return;
    case ScriptUnit::Kind::PlSqlBlock: {
      const std::string head = text::ToUpperAscii(unit.text.substr(0, 8));
      if (head.starts_with("BEGIN") || head.starts_with("DECLARE")) {
        RunBlock(ScriptUnit{unit.kind, Substitute(unit.text, unit.line), unit.line}, result);
        return;
      }
      std::string first = unit.text.substr(0, unit.text.find('\n'));
      if (first.size() > 60) first = first.substr(0, 60) + "...";
      Notice(unit.line, "skipped PL/SQL: " + first, result);
      RememberObjectType(unit.text);
      return;
    }
    case ScriptUnit::Kind::Sql:
      RunStatement(Substitute(unit.text, unit.line), unit.line, result);
      return;
  }
}

void ScriptLoader::RememberObjectType(const std::string& text) {
  std::vector<Token> tokens;
  try {
    // Only the head matters; the body may hold what the SQL tokenizer does not take.
    tokens = Tokenize(text.substr(0, text.find_first_of("(;")), 1);
  } catch (const std::exception&) {
    return;
  }
  TokenCursor cursor(tokens);
  if (!cursor.AcceptWord("CREATE")) return;
  if (cursor.AcceptWord("OR")) cursor.AcceptWord("REPLACE");
  if (!cursor.AcceptWord("EDITIONABLE")) cursor.AcceptWord("NONEDITIONABLE");
  if (!cursor.AcceptWord("TYPE") || cursor.AcceptWord("BODY") || !cursor.PeekIsName()) return;
  std::string name = cursor.Name("a type name");
  if (cursor.AcceptSymbol(".") && cursor.PeekIsName()) name = cursor.Name("a type name");
  if (context_.objectTypes.insert(name).second) target_.RecordObjectType(name);
}

std::string ScriptLoader::Substitute(const std::string& text, int line) const {
  if (!substitution_ || text.find('&') == std::string::npos) return text;
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '&') {
      out.push_back(text[i]);
      continue;
    }
    std::size_t start = i + 1;
    if (start < text.size() && text[start] == '&') ++start;
    std::size_t end = start;
    while (end < text.size() &&
           (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '_'))
      ++end;
    if (end == start) {
      out.push_back('&');
      continue;
    }
    const std::string name = text::ToUpperAscii(text.substr(start, end - start));
    auto found = defines_.find(name);
    if (found == defines_.end())
      throw StatementError(line, "the substitution variable &" + name +
                                     " is not defined (SQL*Plus would prompt for it); DEFINE "
                                     "it in the script or SET DEFINE OFF");
    out += found->second;
    i = end - 1;
    if (end < text.size() && text[end] == '.') ++i;  // "&name." ends the name
  }
  return out;
}

void ScriptLoader::RunSqlPlus(const ScriptUnit& unit, LoadResult& result) {
  const std::string text = substitution_ ? Substitute(unit.text, unit.line) : unit.text;
  const std::size_t wordEnd = std::min(text.find_first_of(" \t"), text.size());
  const std::string command = text::ToUpperAscii(text.substr(0, wordEnd));
  // A command whose continuation line was blank ("PROMPT -" then an empty line) has no
  // arguments, only blanks after its word.
  const std::string arguments = text::TrimWhiteSpace(std::string_view(text).substr(wordEnd));
  if (command == "CONNECT" || command == "CONN") {
    RunConnect(arguments, unit.line, result);
    return;
  }
  if (command == "SET") {
    const std::string upper = text::ToUpperAscii(arguments);
    if (upper.starts_with("DEFINE OFF") || upper.starts_with("DEF OFF") ||
        upper.starts_with("SCAN OFF")) {
      substitution_ = false;
      return;
    }
    if (upper.starts_with("DEFINE ON") || upper.starts_with("DEF ON") ||
        upper.starts_with("SCAN ON")) {
      substitution_ = true;
      return;
    }
  }
  if ((command == "DEFINE" || command == "DEF") && arguments.find('=') != std::string::npos) {
    std::string name = arguments.substr(0, arguments.find('='));
    std::string value = arguments.substr(arguments.find('=') + 1);
    name.erase(name.find_last_not_of(" \t") + 1);
    value.erase(0, value.find_first_not_of(" \t"));
    value.erase(value.find_last_not_of(" \t;") + 1);
    if (value.size() >= 2 && (value.front() == '\'' || value.front() == '"') &&
        value.back() == value.front())
      value = value.substr(1, value.size() - 2);
    defines_[text::ToUpperAscii(name)] = value;
    return;
  }
  if (command == "REM" || command == "REMARK" || command == "PROMPT" || command == "PRO") return;
  if (command.starts_with("@") || command == "START" || command == "STA") {
    const bool sameDirectory = command.starts_with("@@");
    std::string target =
        command == "START" || command == "STA" ? arguments : text.substr(sameDirectory ? 2 : 1);
    RunInclude(text::TrimWhiteSpace(target), sameDirectory, unit.line, result);
    return;
  }
  if (command == "WHENEVER") {
    const std::string upper = text::ToUpperAscii(arguments);
    if (upper.starts_with("SQLERROR")) {
      continueOnError_ = upper.find("CONTINUE") != std::string::npos;
      return;
    }
  }
  if (command == "EXIT" || command == "QUIT") {
    exited_ = true;
    exitedWithRollback_ = text::ToUpperAscii(arguments).find("ROLLBACK") != std::string::npos;
    if (exitedWithRollback_)
      Notice(unit.line, "EXIT ROLLBACK: rows not committed before it are not kept", result);
    return;
  }
  std::string shown = text.size() > 60 ? text.substr(0, 60) + "..." : text;
  Notice(unit.line, "skipped SQL*Plus command: " + shown, result);
}

void ScriptLoader::RunInclude(const std::string& arguments, bool sameDirectory, int line,
                              LoadResult& result) {
  (void)sameDirectory;  // @ and @@ both resolve against the including script's directory
  std::string name = arguments.substr(0, arguments.find_first_of(" \t"));
  if (name.empty()) throw StatementError(line, "@ needs the name of a script");
  std::filesystem::path path(name);
  if (!path.has_extension()) path += ".sql";
  if (path.is_relative()) path = directory_ / path;
  if (includeDepth_ >= kMaxIncludeDepth)
    throw StatementError(line, "scripts include each other more than " +
                                   std::to_string(kMaxIncludeDepth) + " deep (does " +
                                   path.filename().string() + " include itself?)");
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    // SQL*Plus reports a missing script and reads on, whatever WHENEVER SQLERROR says.
    Notice(line,
           "skipped @" + name + ": SP2-0310: unable to open file \"" + path.filename().string() +
               "\" beside " + script_,
           result);
    return;
  }
  const std::string savedScript = script_;
  const std::filesystem::path savedDirectory = directory_;
  script_ = path.filename().string();
  directory_ = path.parent_path();
  ++includeDepth_;
  struct Restore {
    ScriptLoader& loader;
    std::string script;
    std::filesystem::path directory;
    ~Restore() {
      loader.script_ = script;
      loader.directory_ = directory;
      --loader.includeDepth_;
    }
  } restore{*this, savedScript, savedDirectory};
  RunScript(ReadFile(path), result);
}

void ScriptLoader::RunConnect(const std::string& arguments, int line, LoadResult& result) {
  std::string logon = arguments;
  logon.erase(logon.find_last_not_of(" \t;") + 1);
  const std::string upper = text::ToUpperAscii(logon);
  const std::size_t slash = logon.find('/');
  if (upper.find("AS SYSDBA") != std::string::npos ||
      upper.find("AS SYSOPER") != std::string::npos || slash == 0) {
    Notice(line,
           "skipped administrative CONNECT " + logon.substr(0, logon.find('/')) +
               " (the stand-in has no administrative users)",
           result);
    currentSchema_.clear();
    return;
  }
  if (slash == std::string::npos)
    throw StatementError(line,
                         "CONNECT needs user/password (SQL*Plus would prompt for the "
                         "password)");
  std::string user = logon.substr(0, slash);
  std::string password = logon.substr(slash + 1);
  password = password.substr(0, password.find('@'));  // the service is the instance loaded
  auto unquote = [](std::string value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      return value.substr(1, value.size() - 2);
    return text::ToUpperAscii(value);
  };
  user = unquote(user);
  if (password.size() >= 2 && password.front() == '"' && password.back() == '"')
    password = password.substr(1, password.size() - 2);
  if (user == "SYS" || user == "SYSTEM") {
    Notice(line, "skipped CONNECT " + user + " (the stand-in has no administrative users)", result);
    currentSchema_.clear();
    return;
  }
  // CONNECT ends the previous session, which commits its work.
  target_.Commit();
  target_.Connect(user, password);
  target_.SetCurrentSchema(user);
  currentSchema_ = user;
  context_.currentUser = user;
  if (!userIds_.count(user)) userIds_[user] = static_cast<long>(100 + userIds_.size());
  context_.userId = userIds_[user];
}

void ScriptLoader::RunStatement(const std::string& text, int line, LoadResult& result) {
  RunTokens(text, Tokenize(text, line), line, result, nullptr);
}

void ScriptLoader::RunTokens(std::string_view text, const std::vector<Token>& tokens, int line,
                             LoadResult& result, Scope* scope) {
  const ScopeSwitch in(currentScope_, scope);
  TokenCursor cursor(tokens);
  if (cursor.AtEnd()) return;
  const std::string first = text::ToUpperAscii(cursor.Peek().text);
  auto skip = [&](const std::string& what) { Notice(line, "skipped " + what, result); };

  if (cursor.Peek().kind != TokenKind::Word) cursor.FailUnexpected("a SQL statement");
  if (first == "CREATE") {
    cursor.Next();
    if (cursor.Peek().IsWord("OR") && cursor.Peek(1).IsWord("REPLACE")) {
      cursor.Next();
      cursor.Next();
    }
    if (cursor.AcceptWord("USER")) {
      RunCreateUser(cursor, result);
      return;
    }
    if (cursor.Peek().IsWord("GLOBAL") && cursor.Peek(1).IsWord("TEMPORARY")) {
      cursor.Next();
      cursor.Next();
    }
    if (cursor.AcceptWord("TABLE")) {
      RunCreateTable(cursor, text, result);
      return;
    }
    if (cursor.AcceptWord("SEQUENCE")) {
      RunCreateSequence(cursor, result);
      return;
    }
    const bool unique = cursor.Peek().IsWord("UNIQUE") && cursor.Peek(1).IsWord("INDEX");
    const bool bitmap = cursor.Peek().IsWord("BITMAP") && cursor.Peek(1).IsWord("INDEX");
    if (unique || bitmap) cursor.Next();
    if (cursor.AcceptWord("INDEX")) {
      RunCreateIndex(cursor, unique, bitmap, line, result);
      return;
    }
    for (const SkippedStatement& skipped : SkippedCreates()) {
      bool matches = true;
      for (std::size_t i = 0; i < skipped.words.size(); ++i)
        if (!cursor.Peek(i).IsWord(skipped.words[i])) matches = false;
      if (matches) {
        skip(skipped.what);
        return;
      }
    }
    cursor.Fail("ORA-00901: invalid CREATE command (CREATE " + LeadingWords(cursor, 2) +
                " is not known to the script loader)");
  }
  if (first == "ALTER") {
    cursor.Next();
    if (cursor.AcceptWord("TABLE")) {
      RunAlterTable(cursor, text, line, result);
      return;
    }
    if (cursor.AcceptWord("SESSION")) {
      RunAlterSession(cursor, line, result);
      return;
    }
    skip("ALTER " + LeadingWords(cursor, 1));
    return;
  }
  if (first == "INSERT") {
    cursor.Next();
    RunInsert(cursor, result, scope);
    ++result.statementsRun;
    return;
  }
  if (first == "UPDATE") {
    cursor.Next();
    RunUpdate(cursor, result, scope);
    ++result.statementsRun;
    return;
  }
  if (first == "DELETE") {
    cursor.Next();
    RunDelete(cursor, result, scope);
    ++result.statementsRun;
    return;
  }
  if (first == "TRUNCATE") {
    cursor.Next();
    RunTruncate(cursor, result);
    return;
  }
  if (first == "DROP" && (cursor.Peek(1).IsWord("TABLE") || cursor.Peek(1).IsWord("SEQUENCE"))) {
    cursor.Next();
    RunDrop(cursor, line, result, scope);
    return;
  }
  if (first == "COMMIT") {
    target_.Commit();
    return;
  }
  if (first == "ROLLBACK") {
    cursor.Next();
    cursor.AcceptWord("WORK");
    if (!cursor.AtEnd()) {
      skip("ROLLBACK " + LeadingWords(cursor, 2) + " (savepoints are not kept)");
      return;
    }
    target_.Rollback();
    return;
  }
  if (first == "SELECT" || first == "WITH") {
    skip("query: " + LeadingWords(cursor, 3) + " (a query changes nothing)");
    return;
  }
  if (first == "GRANT") {
    RunGrant(cursor, line, result);
    return;
  }
  if (first == "DROP" && cursor.Peek(1).IsWord("INDEX")) {
    cursor.Next();
    cursor.Next();
    RunDropIndex(cursor, line, result);
    return;
  }
  if (first == "COMMENT" && cursor.Peek(1).IsWord("ON")) {
    cursor.Next();
    cursor.Next();
    RunComment(cursor, line, result);
    return;
  }
  if (first == "COMMENT" || first == "REVOKE" || first == "DROP" || first == "ANALYZE" ||
      first == "PURGE" || first == "AUDIT" || first == "NOAUDIT" || first == "SAVEPOINT" ||
      first == "CALL" || first == "EXPLAIN" || first == "LOCK" || first == "SET") {
    skip(LeadingWords(cursor, 2));
    return;
  }
  if (first == "MERGE")
    cursor.Fail(
        "MERGE statements are not supported by the script loader; use INSERT, UPDATE "
        "or DELETE");
  cursor.Fail("ORA-00900: invalid SQL statement (" + LeadingWords(cursor, 2) + ")");
}

void ScriptLoader::RunCreateUser(TokenCursor& cursor, LoadResult& result) {
  const std::string user = cursor.Name("a user name");
  cursor.ExpectWord("IDENTIFIED");
  if (!cursor.Peek().IsWord("BY"))
    cursor.Fail("only users IDENTIFIED BY a password can log on to the stand-in");
  cursor.Next();
  if (cursor.Peek().kind == TokenKind::String)
    cursor.Fail(
        "ORA-00988: missing or invalid password(s) (a password is written as a name, "
        "IDENTIFIED BY secret or IDENTIFIED BY \"Secret\", not as a text in single quotes)");
  const Token& password = cursor.Peek();
  if (password.kind != TokenKind::Word && password.kind != TokenKind::QuotedName &&
      password.kind != TokenKind::Number)
    cursor.Fail("ORA-00988: missing or invalid password(s) (found " + Describe(password) + ")");
  cursor.Next();
  // DEFAULT TABLESPACE, QUOTA, PROFILE, ACCOUNT ... do not matter to the stand-in.
  target_.CreateUser(user, password.text);
  if (!userIds_.count(user)) userIds_[user] = static_cast<long>(100 + userIds_.size());
  ++result.statementsRun;
}

void ScriptLoader::RunGrant(TokenCursor& cursor, int line, LoadResult& result) {
  // The old form GRANT ... TO user IDENTIFIED BY password also creates the user.
  cursor.Next();
  while (!cursor.AtEnd() && !cursor.Peek().IsWord("TO")) cursor.Next();
  if (cursor.AcceptWord("TO")) {
    const std::string user = cursor.PeekIsName() ? cursor.Name("a user name") : "";
    if (cursor.AcceptWord("IDENTIFIED")) {
      cursor.ExpectWord("BY");
      const Token& password = cursor.Next();
      target_.CreateUser(user, password.text);
      if (!userIds_.count(user)) userIds_[user] = static_cast<long>(100 + userIds_.size());
      ++result.statementsRun;
      Notice(line, "GRANT ... IDENTIFIED BY: created user " + user + "; privileges skipped",
             result);
      return;
    }
  }
  Notice(line, "skipped GRANT", result);
}

void ScriptLoader::RunAlterSession(TokenCursor& cursor, int line, LoadResult& result) {
  cursor.ExpectWord("SET");
  const std::string parameter = cursor.Name("a session parameter");
  if (parameter == "CURRENT_SCHEMA") {
    cursor.ExpectSymbol("=");
    const std::string schema = cursor.Name("a schema name");
    target_.SetCurrentSchema(schema);
    currentSchema_ = schema;
    return;
  }
  if (parameter == "NLS_DATE_FORMAT") {
    cursor.ExpectSymbol("=");
    const Token& format = cursor.Next();
    if (format.kind != TokenKind::String) cursor.FailUnexpected("a date format in quotes");
    context_.dateFormat = format.text;
    return;
  }
  Notice(line, "skipped ALTER SESSION SET " + parameter, result);
}

std::string ScriptLoader::OwnerOr(const std::string& owner, const TokenCursor& cursor) const {
  if (!owner.empty()) return owner;
  if (currentSchema_.empty())
    cursor.Fail(
        "no current schema: CONNECT user/password or ALTER SESSION SET CURRENT_SCHEMA "
        "before this statement, or name the owner (OWNER.TABLE)");
  return currentSchema_;
}

std::string ScriptLoader::NextConstraintName() {
  std::string name = target_.GenerateConstraintName();
  if (!name.empty()) return name;
  // A target without numbering of its own: the session numbers its names, from where Oracle's
  // would not meet the instance's (which start at 10001).
  return SystemConstraintName(1000000L + ++generatedNames_);
}

const ScriptLoader::KnownTable& ScriptLoader::TableFor(const std::string& owner,
                                                       const std::string& table,
                                                       const TokenCursor& cursor) {
  auto found = tables_.find({owner, table});
  if (found != tables_.end()) return found->second;
  if (auto columns = target_.DescribeTable(owner, table)) {
    return tables_[{owner, table}] =
               KnownTable{*columns, target_.DescribeConstraints(owner, table), {}};
  }
  cursor.Fail("ORA-00942: table or view does not exist (" + QuoteOracleName(owner) + "." +
              QuoteOracleName(table) + ")");
}

ConstraintDefinition ScriptLoader::Resolve(const DeclaredConstraint& declared,
                                           const std::string& owner, const std::string& table,
                                           const KnownTable& known, const TokenCursor& cursor) {
  ConstraintDefinition definition = declared.definition;
  if (declared.usingIndex) {
    if (declared.usingIndex->table != table)
      cursor.Fail(
          "ORA-14196: Specified index cannot be used to enforce the constraint (it is "
          "on " +
          QuoteOracleName(declared.usingIndex->table) + ")");
    definition.usingIndexDefinition = ToIndexDefinition(*declared.usingIndex, known.columns);
  }
  if (definition.name.empty()) {
    // Check constraints are never referenced: the instance numbers them. Keys may be
    // referenced by a later foreign key, so the loader must know their names.
    if (definition.type != 'C') definition.name = NextConstraintName();
    definition.generatedName = true;
  }
  for (const std::string& column : definition.columns) {
    bool exists = false;
    for (const ColumnDefinition& definedColumn : known.columns)
      if (definedColumn.name == column) exists = true;
    if (!exists)
      cursor.Fail("ORA-00904: " + QuoteOracleName(column) +
                  ": invalid identifier (no such column in " + QuoteOracleName(owner) + "." +
                  QuoteOracleName(table) + ")");
  }
  for (const auto& [key, other] : tables_)
    if (key.first == owner)
      for (const ConstraintDefinition& existing : other.constraints)
        if (!definition.name.empty() && existing.name == definition.name)
          cursor.Fail("ORA-02264: name already used by an existing constraint (" + definition.name +
                      ")");
  if (definition.type == 'P') {
    for (const ConstraintDefinition& existing : known.constraints)
      if (existing.type == 'P')
        cursor.Fail("ORA-02260: table can have only one primary key (" + QuoteOracleName(table) +
                    ")");
  }
  if (definition.type != 'R') return definition;

  const std::string refOwner =
      declared.definition.refOwner.empty() ? owner : declared.definition.refOwner;
  const bool selfReference = refOwner == owner && declared.refTable == table;
  const KnownTable& referenced =
      selfReference ? known : TableFor(refOwner, declared.refTable, cursor);
  std::vector<ConstraintDefinition> candidates = referenced.constraints;
  for (const ConstraintDefinition& candidate : candidates) {
    const bool kindMatches = declared.refColumns.empty()
                                 ? candidate.type == 'P'
                                 : (candidate.type == 'P' || candidate.type == 'U');
    if (!kindMatches) continue;
    if (!declared.refColumns.empty()) {
      std::set<std::string> wanted(declared.refColumns.begin(), declared.refColumns.end());
      std::set<std::string> have(candidate.columns.begin(), candidate.columns.end());
      if (wanted != have) continue;
    }
    if (candidate.columns.size() != definition.columns.size())
      cursor.Fail("ORA-02256: number of referencing columns must match referenced columns");
    definition.refOwner = refOwner;
    definition.refConstraintName = candidate.name;
    return definition;
  }
  cursor.Fail("ORA-02270: no matching unique or primary key for this column-list (" +
              QuoteOracleName(refOwner) + "." + QuoteOracleName(declared.refTable) + ")");
}

void ScriptLoader::RunCreateTable(TokenCursor& cursor, std::string_view text, LoadResult& result) {
  TableDeclaration declaration =
      ParseCreateTable(cursor, text, currentSchema_, context_.objectTypes);
  declaration.owner = OwnerOr(declaration.owner, cursor);
  if (tables_.count({declaration.owner, declaration.name}))
    cursor.Fail("ORA-00955: name is already used by an existing object (" +
                QuoteOracleName(declaration.owner) + "." + QuoteOracleName(declaration.name) + ")");
  KnownTable known{declaration.columns, {}, {}};
  for (const DeclaredConstraint& declared : declaration.constraints) {
    ConstraintDefinition definition =
        Resolve(declared, declaration.owner, declaration.name, known, cursor);
    if (definition.type == 'P')
      for (ColumnDefinition& column : known.columns)
        for (const std::string& keyColumn : definition.columns)
          if (column.name == keyColumn) column.nullable = false;
    known.constraints.push_back(std::move(definition));
  }
  target_.CreateTable(declaration.owner, declaration.name, known.columns, known.constraints);
  // The instance names identity generators and writes their defaults: take its columns.
  for (const ColumnDefinition& column : known.columns)
    if (column.identity) {
      if (auto stored = target_.DescribeTable(declaration.owner, declaration.name))
        known.columns = std::move(*stored);
      break;
    }
  tables_[{declaration.owner, declaration.name}] = std::move(known);
  ++result.statementsRun;
}

void ScriptLoader::RunAlterTable(TokenCursor& cursor, std::string_view text, int line,
                                 LoadResult& result) {
  QualifiedName name = ReadQualifiedName(cursor, "a table name");
  const std::string owner = OwnerOr(name.owner, cursor);
  if (StartsConstraintStateChange(cursor)) {
    RunConstraintStateChange(cursor, owner, name.name, line, result);
    return;
  }
  if (StartsConstraintDrop(cursor)) {
    RunConstraintDrop(cursor, owner, name.name, result);
    return;
  }
  if (!cursor.Peek().IsWord("ADD")) {
    Notice(line, "skipped ALTER TABLE " + name.name + " " + LeadingWords(cursor, 2), result);
    return;
  }
  std::vector<DeclaredConstraint> declared = ParseAddConstraints(cursor, text);
  TableFor(owner, name.name, cursor);
  for (const DeclaredConstraint& constraint : declared) {
    KnownTable& known = tables_[{owner, name.name}];
    ConstraintDefinition definition = Resolve(constraint, owner, name.name, known, cursor);
    target_.AddConstraint(owner, name.name, definition);
    if (definition.type == 'P')
      for (ColumnDefinition& column : known.columns)
        for (const std::string& keyColumn : definition.columns)
          if (column.name == keyColumn) column.nullable = false;
    known.constraints.push_back(std::move(definition));
  }
  ++result.statementsRun;
}

LoadResult LoadScript(ScriptTarget& target, const std::filesystem::path& script) {
  ScriptLoader loader(target);
  return loader.LoadFile(script);
}

LoadResult LoadScriptText(ScriptTarget& target, std::string_view text,
                          const std::string& scriptName) {
  ScriptLoader loader(target);
  return loader.LoadText(text, scriptName);
}

}  // namespace skerrow::oracle
