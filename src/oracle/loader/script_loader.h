#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "oracle/loader/script_error.h"
#include "oracle/loader/script_splitter.h"
#include "oracle/loader/script_table_parser.h"
#include "oracle/script_target.h"
#include "oracle/sql_cursor.h"
#include "oracle/sql_expression.h"

namespace skerrow::oracle {

// Something the loader skipped or did not do as written, with where it stands.
struct ScriptNotice {
  std::string script;
  int line = 0;
  std::string text;
  bool skipped = false;  // a statement or block that was not run (as opposed to a remark)

  // "script.sql, line 12: skipped CREATE INDEX"
  std::string ToString() const;
};

// A statement that failed while the loader went on (WHENEVER SQLERROR CONTINUE,
// --continue-on-error).
struct ScriptFailure {
  std::string script;
  int line = 0;
  std::string message;

  std::string ToString() const;
};

struct LoadResult {
  std::vector<ScriptNotice> notices;
  std::vector<ScriptFailure> failures;
  int statementsRun = 0;  // statements that changed the target (users, tables, rows, ...)
  long rowsInserted = 0;
  std::vector<std::pair<std::string, long>> rowsByTable;  // in the order first inserted into

  int SkippedCount() const;
  // "hr.sql: 42 statements, 216 rows (EMPLOYEES 107, DEPARTMENTS 27), 3 skipped"
  std::string Summary(const std::string& script) const;
};

// Limits that keep a hostile or mistaken script from running away.
inline constexpr int kMaxIncludeDepth = 16;  // @file inside @file ...
inline constexpr int kMaxBlockDepth = 32;  // blocks and loops inside each other, EXECUTE IMMEDIATE
inline constexpr long kMaxLoopIterations = 10'000'000;  // one FOR loop

// Loads Oracle SQL scripts written for SQL*Plus into a ScriptTarget. One loader is one
// session: the current user and schema, SQL*Plus substitution variables, the session's date
// format and the tables created so far carry over from one script to the next. A statement the
// target refuses, or one the loader cannot read, stops the load with a ScriptError naming the
// script, the line and the reason; statements already run stay done.
class ScriptLoader {
 public:
  explicit ScriptLoader(ScriptTarget& target);

  // Throws ScriptError (also when the file cannot be read).
  LoadResult LoadFile(const std::filesystem::path& script);
  // `scriptName` names the script in notices and errors; includes resolve against `directory`.
  LoadResult LoadText(std::string_view text, const std::string& scriptName,
                      const std::filesystem::path& directory = {});

  // Goes on after a failing statement, listing it, as WHENEVER SQLERROR CONTINUE does.
  void SetContinueOnError(bool continueOnError) { continueOnError_ = continueOnError; }
  // Makes a skipped statement or block an error, for scripts that must load whole.
  void SetStrict(bool strict) { strict_ = strict; }

  struct Scope;  // the variables of a running PL/SQL block

 private:
  friend class BlockRunner;
  struct KnownTable {
    std::vector<ColumnDefinition> columns;
    std::vector<ConstraintDefinition> constraints;
    std::vector<std::string> columnPaths;  // "OWNER"."TABLE"."COLUMN", made on first use
  };
  using TableKey = std::pair<std::string, std::string>;

  void RunScript(std::string_view text, LoadResult& result);
  void RunInclude(const std::string& arguments, bool sameDirectory, int line, LoadResult& result);
  void RunUnit(const ScriptUnit& unit, LoadResult& result);
  void RunBlock(const ScriptUnit& unit, LoadResult& result);
  // Runs an anonymous block's text (a unit, or EXECUTE IMMEDIATE of one) inside `parent`.
  void RunBlockText(const std::string& text, int line, LoadResult& result, Scope* parent);
  // Runs one statement; `text` is what the tokens' offsets refer to.
  void RunTokens(std::string_view text, const std::vector<Token>& tokens, int line,
                 LoadResult& result, Scope* scope);
  std::optional<ScriptValue> ResolveName(const std::vector<std::string>& path, Scope* scope);
  void CountRows(const std::string& table, long rows, LoadResult& result);
  // Notes the name of a CREATE TYPE, so that its constructor can be called in INSERTs.
  void RememberObjectType(const std::string& text);
  void RunSqlPlus(const ScriptUnit& unit, LoadResult& result);
  void RunStatement(const std::string& text, int line, LoadResult& result);
  void Notice(int line, std::string text, LoadResult& result);

  std::string Substitute(const std::string& text, int line) const;
  void RunConnect(const std::string& arguments, int line, LoadResult& result);
  void RunCreateUser(TokenCursor& cursor, LoadResult& result);
  void RunCreateTable(TokenCursor& cursor, std::string_view text, LoadResult& result);
  void RunAlterTable(TokenCursor& cursor, std::string_view text, int line, LoadResult& result);
  void RunInsert(TokenCursor& cursor, LoadResult& result, Scope* scope);
  void RunInsertAll(TokenCursor& cursor, LoadResult& result, Scope* scope);
  // One row into a table: `columns` (all of them when empty) with the values the cursor's
  // VALUES list or a query row gives.
  void InsertValues(const std::string& owner, const std::string& table,
                    const std::vector<const ColumnDefinition*>& columns,
                    const std::vector<std::optional<ScriptValue>>& values, int line,
                    LoadResult& result);
  std::vector<const ColumnDefinition*> ColumnList(TokenCursor& cursor, const std::string& owner,
                                                  const std::string& table);
  void RunUpdate(TokenCursor& cursor, LoadResult& result, Scope* scope);
  void RunDelete(TokenCursor& cursor, LoadResult& result, Scope* scope);
  void RunDrop(TokenCursor& cursor, int line, LoadResult& result, Scope* scope);
  void RunTruncate(TokenCursor& cursor, LoadResult& result);
  void RunCreateSequence(TokenCursor& cursor, LoadResult& result);
  // Runs `run` so that what it changed is undone if it fails.
  void Atomically(const std::function<void()>& run);
  void RunGrant(TokenCursor& cursor, int line, LoadResult& result);
  void RunCreateIndex(TokenCursor& cursor, bool unique, bool bitmap, int line, LoadResult& result);
  void RunDropIndex(TokenCursor& cursor, int line, LoadResult& result);
  void RunComment(TokenCursor& cursor, int line, LoadResult& result);
  void RunConstraintDrop(TokenCursor& cursor, const std::string& owner, const std::string& table,
                         LoadResult& result);
  void RunConstraintStateChange(TokenCursor& cursor, const std::string& owner,
                                const std::string& table, int line, LoadResult& result);
  // The name of the constraint an ALTER TABLE clause means (by name, PRIMARY KEY or UNIQUE).
  std::string ConstraintNamed(const ConstraintReference& reference, const std::string& owner,
                              const std::string& table, const TokenCursor& cursor);
  void RunAlterSession(TokenCursor& cursor, int line, LoadResult& result);

  std::string OwnerOr(const std::string& owner, const TokenCursor& cursor) const;
  const KnownTable& TableFor(const std::string& owner, const std::string& table,
                             const TokenCursor& cursor);
  ConstraintDefinition Resolve(const DeclaredConstraint& declared, const std::string& owner,
                               const std::string& table, const KnownTable& known,
                               const TokenCursor& cursor);
  std::string NextConstraintName();

  ScriptTarget& target_;
  std::string script_;
  std::string currentSchema_;
  ExpressionContext context_;
  std::map<std::string, std::string> defines_;
  bool substitution_ = true;
  bool exited_ = false;              // EXIT or QUIT seen: the rest of the script is not read
  bool exitedWithRollback_ = false;  // EXIT ROLLBACK: the end of the script does not commit
  std::map<TableKey, KnownTable> tables_;
  std::map<std::string, long> userIds_;
  std::map<std::pair<std::string, std::string>, std::string> currentValues_;  // seq.CURRVAL
  std::filesystem::path directory_;  // of the script being run, for @@ includes
  int includeDepth_ = 0;
  int blockDepth_ = 0;
  bool continueOnError_ = false;
  bool strict_ = false;
  Scope* currentScope_ = nullptr;  // the block whose statement runs, for the names it declared
  long generatedNames_ = 0;
};

// "OWNER"."TABLE"."COLUMN" for messages.
std::string ColumnPath(const std::string& owner, const std::string& table,
                       const std::string& column);

// Loads one script into `target` in a fresh session.
LoadResult LoadScript(ScriptTarget& target, const std::filesystem::path& script);
LoadResult LoadScriptText(ScriptTarget& target, std::string_view text,
                          const std::string& scriptName = "script");

}  // namespace skerrow::oracle
