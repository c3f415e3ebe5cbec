#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "oracle/sql_lexer.h"

namespace skerrow::oracle {

// A construct of PL/SQL the loader does not run (IF, WHILE, cursors, procedure calls, RAISE,
// ...): the block that holds it is skipped and listed with it.
class PlsqlUnsupported : public std::runtime_error {
 public:
  PlsqlUnsupported(int line, std::string construct)
      : std::runtime_error(construct), line_(line), construct_(std::move(construct)) {}
  int Line() const { return line_; }
  const std::string& Construct() const { return construct_; }

 private:
  int line_;
  std::string construct_;
};

struct PlsqlBlock;

// One statement of a block. Expressions and SQL statements keep their own tokens (ending with
// an End token), so that a loop runs them again without reading the text again.
struct PlsqlStatement {
  enum class Kind { Null, Assign, Sql, For, Execute, Output, Block };
  Kind kind = Kind::Null;
  int line = 0;
  std::string name;           // Assign: the variable; For: the index
  std::vector<Token> tokens;  // Assign, Execute: the expression; Sql: the statement;
                              // Output: the argument list in parentheses (or nothing)
  bool reverse = false;       // FOR ... IN REVERSE
  std::vector<Token> low, high;
  std::vector<PlsqlStatement> body;  // For
  std::shared_ptr<PlsqlBlock> block;
};

struct PlsqlDeclaration {
  std::string name;
  int line = 0;
  bool exception = false;  // name EXCEPTION
  bool constant = false;
  std::vector<Token> type;     // the type as written (VARCHAR2(30), emp.ename%TYPE, ...)
  std::vector<Token> initial;  // := or DEFAULT expression; empty when none
};

struct PlsqlHandler {
  std::vector<std::string> names;  // OTHERS, DUP_VAL_ON_INDEX, a declared exception, ...
  std::vector<PlsqlStatement> body;
};

struct PlsqlBlock {
  int line = 0;
  std::vector<PlsqlDeclaration> declarations;
  std::vector<std::pair<std::string, long>> exceptionCodes;  // PRAGMA EXCEPTION_INIT
  std::vector<PlsqlStatement> body;
  std::vector<PlsqlHandler> handlers;
};

// Reads an anonymous block ([DECLARE ...] BEGIN ... [EXCEPTION ...] END;) made of what the
// loader runs: declarations of scalar variables and exceptions, assignments, INSERT, UPDATE,
// DELETE, COMMIT, ROLLBACK, NULL, numeric FOR loops, EXECUTE IMMEDIATE, DBMS_OUTPUT, nested
// blocks and exception handlers. Throws PlsqlUnsupported at the first construct outside that
// set, StatementError for a block that is not well formed or nests deeper than the limit.
PlsqlBlock ParsePlsqlBlock(const std::vector<Token>& tokens);

// The ORA- number of an error message as PL/SQL's SQLCODE gives it (-1 for ORA-00001), 0 when the
// message carries none.
long ErrorCodeOf(const std::string& message);

// The error number Oracle's predefined exception stands for (DUP_VAL_ON_INDEX: -1,
// NO_DATA_FOUND: 100, ...); 0 for a name Oracle does not predefine.
long PredefinedExceptionCode(const std::string& name);

}  // namespace skerrow::oracle
