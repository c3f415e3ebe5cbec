#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace skerrow::oracle {

// One piece of a SQL*Plus script.
struct ScriptUnit {
  enum class Kind {
    Sql,         // a SQL statement without its terminating ";" or "/"
    SqlPlus,     // a SQL*Plus command line (SET, PROMPT, REM, @, CONNECT, ...)
    PlSqlBlock,  // an anonymous block or a stored program unit, ended by a "/" line
  };
  Kind kind = Kind::Sql;
  std::string text;
  int line = 0;  // the script line the unit starts on
};

// Splits a script the way SQL*Plus reads it: SQL statements end at a ";" outside literals and
// comments or at a line holding only "/"; SQL*Plus commands take one line (a trailing "-"
// continues it); PL/SQL blocks and program units run to a line holding only "/". Nothing after
// an EXIT or QUIT line is read. Throws StatementError for a statement or block the script
// leaves unterminated.
std::vector<ScriptUnit> SplitScript(std::string_view script);

}  // namespace skerrow::oracle
