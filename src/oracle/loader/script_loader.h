#pragma once

#include <filesystem>
#include <map>
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

  // "script.sql, line 12: skipped CREATE INDEX"
  std::string ToString() const;
};

struct LoadResult {
  std::vector<ScriptNotice> notices;
  int statementsRun = 0;  // statements that changed the target (users, tables, rows, ...)
};

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
  // `scriptName` names the script in notices and errors.
  LoadResult LoadText(std::string_view text, const std::string& scriptName);

 private:
  struct KnownTable {
    std::vector<ColumnDefinition> columns;
    std::vector<ConstraintDefinition> constraints;
  };
  using TableKey = std::pair<std::string, std::string>;

  void RunUnit(const ScriptUnit& unit, LoadResult& result);
  // Notes the name of a CREATE TYPE, so that its constructor can be called in INSERTs.
  void RememberObjectType(const std::string& text);
  void RunSqlPlus(const ScriptUnit& unit, LoadResult& result);
  void RunStatement(const std::string& text, int line, LoadResult& result);
  void Notice(int line, std::string text, LoadResult& result);

  std::string Substitute(const std::string& text, int line) const;
  void RunConnect(const std::string& arguments, int line, LoadResult& result);
  void RunCreateUser(TokenCursor& cursor, LoadResult& result);
  void RunCreateTable(TokenCursor& cursor, const std::string& text, LoadResult& result);
  void RunAlterTable(TokenCursor& cursor, const std::string& text, int line, LoadResult& result);
  void RunInsert(TokenCursor& cursor, LoadResult& result);
  void RunGrant(TokenCursor& cursor, int line, LoadResult& result);
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
  long generatedNames_ = 0;
  long generatedNameBase_ = 0;
};

// Loads one script into `target` in a fresh session.
LoadResult LoadScript(ScriptTarget& target, const std::filesystem::path& script);
LoadResult LoadScriptText(ScriptTarget& target, std::string_view text,
                          const std::string& scriptName = "script");

}  // namespace skerrow::oracle
