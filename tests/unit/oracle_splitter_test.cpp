// The script splitter reads a script the way SQL*Plus does.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "oracle/loader/script_splitter.h"
#include "oracle/sql_error.h"

namespace skerrow::oracle {
namespace {

// Units shown as KIND@line:text, K being S (SQL), P (SQL*Plus) or B (block).
std::vector<std::string> Shown(std::string_view script) {
  std::vector<std::string> shown;
  for (const ScriptUnit& unit : SplitScript(script)) {
    const char* kind = unit.kind == ScriptUnit::Kind::Sql       ? "S"
                       : unit.kind == ScriptUnit::Kind::SqlPlus ? "P"
                                                                : "B";
    shown.push_back(std::string(kind) + "@" + std::to_string(unit.line) + ":" + unit.text);
  }
  return shown;
}

TEST(ScriptSplitter, SplitsAsSqlPlusReads) {
  struct Case {
    const char* script;
    std::vector<std::string> units;
  };
  const std::vector<Case> cases = {
      {"select 1 from dual;\nselect 2 from dual;\n",
       {"S@1:select 1 from dual", "S@2:select 2 from dual"}},
      {"insert into t values ('a;b');", {"S@1:insert into t values ('a;b')"}},
      {"insert into t values (q'[;]');", {"S@1:insert into t values (q'[;]')"}},
      {"insert into t values ('x' /* ; */); -- ;\n", {"S@1:insert into t values ('x' /* ; */)"}},
      {"create table t\n(a number)\n/\n", {"S@1:create table t\n(a number)\n"}},
      {"-- lead\n/* more\n lines */\nselect 1 from dual;", {"S@4:select 1 from dual"}},
      {"SET DEFINE OFF\nPROMPT it's here\nselect 1 from dual;",
       {"P@1:SET DEFINE OFF", "P@2:PROMPT it's here", "S@3:select 1 from dual"}},
      {"set feedback -\n  off\n", {"P@1:set feedback off"}},
      {"@other.sql\n@@same_dir.sql\n", {"P@1:@other.sql", "P@2:@@same_dir.sql"}},
      {"BEGIN\n  NULL;\nEND;\n/\n", {"B@1:BEGIN\n  NULL;\nEND;"}},
      {"declare\n  v varchar2(5) := '/';\nbegin\n  null;\nend;\n/\nselect 1 from dual;",
       {"B@1:declare\n  v varchar2(5) := '/';\nbegin\n  null;\nend;", "S@7:select 1 from dual"}},
      {"CREATE OR REPLACE PACKAGE p AS\n  x NUMBER;\nEND;\n/\n",
       {"B@1:CREATE OR REPLACE PACKAGE p AS\n  x NUMBER;\nEND;"}},
      {"/\nselect 1 from dual;", {"S@2:select 1 from dual"}},
      {"insert into t values ('line one\nline two');\nselect 1 from dual;",
       {"S@1:insert into t values ('line one\nline two')", "S@3:select 1 from dual"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Shown(c.script), c.units) << c.script;
}

TEST(ScriptSplitter, ReadsNothingAfterExitAndEndsContinuedCommandsAtABlankLine) {
  struct Case {
    const char* script;
    std::vector<std::string> units;
  };
  const std::vector<Case> cases = {
      {"select 1 from dual;\nEXIT\nnot SQL at all (\n'open",
       {"S@1:select 1 from dual", "P@2:EXIT"}},
      {"quit;\nbegin\n", {"P@1:quit;"}},
      {"@inner\nexit success commit\n/* never closed", {"P@1:@inner", "P@2:exit success commit"}},
      {"PROMPT -\n\nselect 1 from dual;", {"P@1:PROMPT ", "S@3:select 1 from dual"}},
      {"PROMPT a -\nb\n", {"P@1:PROMPT a b"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Shown(c.script), c.units) << c.script;
}

TEST(ScriptSplitter, RefusesAnUnterminatedStatementOrBlockNamingItsLine) {
  struct Case {
    const char* script;
    const char* inMessage;
    int line;
  };
  const std::vector<Case> cases = {
      {"select 1 from dual;\n\ncreate table t (a number)\n", "not ended by \";\"", 3},
      {"begin\n  null;\nend;\n", "not ended by a line holding only \"/\"", 1},
      {"select 1;\ninsert into t values ('open\n", "ORA-01756", 2},
      {"select 1;\n/* open\n", "ORA-01742", 2},
  };
  for (const Case& c : cases) {
    try {
      SplitScript(c.script);
      ADD_FAILURE() << c.script << ": no error";
    } catch (const StatementError& error) {
      EXPECT_NE(std::string(error.what()).find(c.inMessage), std::string::npos) << error.what();
      EXPECT_EQ(error.Line(), c.line) << c.script;
    }
  }
}

}  // namespace
}  // namespace skerrow::oracle
