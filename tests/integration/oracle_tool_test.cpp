// skerrow-oracle as a user runs it: load (creating the instance in the first directory of the
// search path), query, drop, its usage text, and errors on standard error with a non-zero
// status.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/oracle_fixture.h"
#include "support/program_run.h"

namespace skerrow {
namespace {

namespace fs = std::filesystem;

using ToolRun = test::ProgramRun;

class OracleTool : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(Program())) << Program();
    std::string pattern = (fs::temp_directory_path() / "skerrow-tool-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    // The first directory of the path does not exist yet: load creates it.
    first_ = root_ / "first";
    second_ = root_ / "second";
    fs::create_directories(second_);
  }
  void TearDown() override {
    std::error_code ignored;
    if (!root_.empty()) fs::remove_all(root_, ignored);
  }

  static fs::path Program() {
    return fs::path(SKERROW_BINARY_DIR) / "src/oracle/tool/skerrow-oracle";
  }

  ToolRun Run(const std::vector<std::string>& args) {
    return test::RunProgram(Program(), args,
                            {"SKERROW_ORACLE_PATH=" + first_.string() + ":" + second_.string()});
  }

  fs::path root_, first_, second_;
};

TEST_F(OracleTool, LoadQueryAndDropAnInstance) {
  const ToolRun load = Run({"load", "ToolDemo", test::FixtureScript("classic.sql").string()});
  ASSERT_EQ(load.status, 0) << load.err;
  EXPECT_TRUE(fs::is_directory(first_ / "ToolDemo"));
  EXPECT_NE(load.out.find("created instance ToolDemo"), std::string::npos) << load.out;
  EXPECT_NE(load.out.find("classic.sql, line 7: skipped GRANT"), std::string::npos) << load.out;

  // A second load goes into the existing instance (found without regard to case).
  const ToolRun more = Run({"load", "TOOLDEMO", test::FixtureScript("keys.sql").string()});
  ASSERT_EQ(more.status, 0) << more.err;
  EXPECT_EQ(more.out.find("created instance"), std::string::npos) << more.out;

  const ToolRun query = Run(
      {"query", "tooldemo", "scott", "tiger", R"(Select "DEPTNO","DNAME" from "SCOTT"."DEPT" w)"});
  ASSERT_EQ(query.status, 0) << query.err;
  EXPECT_EQ(query.out,
            "DECIMAL:10\tTEXT:ACCOUNTING\nDECIMAL:20\tTEXT:RESEARCH\nDECIMAL:30\tTEXT:SALES\n"
            "DECIMAL:40\tTEXT:OPERATIONS\n");
  const ToolRun kinds =
      Run({"query", "ToolDemo", "shop", "shop_pw",
           R"(Select "TOKEN",utl_raw.cast_to_raw("TOKEN"),"LABEL" from "SHOP"."TOKENS" w)"});
  ASSERT_EQ(kinds.status, 0) << kinds.err;
  EXPECT_EQ(kinds.out,
            "BYTES:00112233445566778899AABBCCDDEEFF\tBYTES:"
            "3030313132323333343435353636373738383939414142424343444445454646\tTEXT:first\n"
            "BYTES:FF00\tBYTES:46463030\tTEXT:second\n");
  const ToolRun catalog = Run({"query", "ToolDemo", "SCOTT", "tiger",
                               "select COLUMN_NAME, DATA_LENGTH, DATA_PRECISION from "
                               "USER_TAB_COLUMNS where TABLE_NAME = 'DEPT'"});
  EXPECT_EQ(catalog.out,
            "TEXT:DEPTNO\tDOUBLE:22\tDOUBLE:2\nTEXT:DNAME\tDOUBLE:14\tNULL\n"
            "TEXT:LOC\tDOUBLE:13\tNULL\n");

  const ToolRun drop = Run({"drop", "ToolDemo"});
  ASSERT_EQ(drop.status, 0) << drop.err;
  EXPECT_FALSE(fs::exists(first_ / "ToolDemo"));
  const ToolRun gone =
      Run({"query", "ToolDemo", "SCOTT", "tiger", "select table_name from user_tables"});
  EXPECT_NE(gone.status, 0);
  EXPECT_NE(gone.err.find(" Error: "), std::string::npos) << gone.err;
  EXPECT_EQ(gone.out, "");
}

// The password is one value of the connection string: a ";Data Source=" inside it does not
// send the query to another service.
TEST_F(OracleTool, APasswordHoldingASemicolonStaysAPassword) {
  const fs::path script = root_ / "semicolon.sql";
  std::ofstream(script) << "CREATE USER semi IDENTIFIED BY \"pw;Data Source=ELSEWHERE\";\n"
                           "CONNECT semi/\"pw;Data Source=ELSEWHERE\"\n"
                           "CREATE TABLE t (a NUMBER);\nINSERT INTO t VALUES (1);\nCOMMIT;\n";
  const ToolRun load = Run({"load", "Semi", script.string()});
  ASSERT_EQ(load.status, 0) << load.err;
  const ToolRun query =
      Run({"query", "Semi", "semi", "pw;Data Source=ELSEWHERE", "select a from t"});
  EXPECT_EQ(query.status, 0) << query.err;
  EXPECT_EQ(query.out, "DECIMAL:1\n");
}

TEST_F(OracleTool, UsageAndErrorsGoToStandardErrorWithNonZeroStatus) {
  const ToolRun help = Run({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* command :
       {"skerrow-oracle load SERVICE SCRIPT...", "skerrow-oracle query SERVICE USER PASSWORD SQL",
        "skerrow-oracle drop SERVICE", "SKERROW_ORACLE_PATH"})
    EXPECT_NE(help.out.find(command), std::string::npos) << command;

  ASSERT_EQ(Run({"load", "ToolErr", test::FixtureScript("classic.sql").string()}).status, 0);
  struct Case {
    const char* what;
    std::vector<std::string> args;
    std::string inError;
  };
  const fs::path broken = root_ / "broken.sql";
  std::ofstream(broken) << "CREATE USER bad IDENTIFIED BY bad_pw;\nCONNECT bad/bad_pw\n\n"
                           "CREATE TABLE t (a NUMBER,\n  b FROBNICATE(3));\n";
  const std::vector<Case> cases = {
      {"no command", {}, "Usage:"},
      {"unknown command", {"frobnicate"}, "unknown command \"frobnicate\""},
      {"load without scripts", {"load", "ToolErr"}, "Usage:"},
      {"query with too few arguments", {"query", "ToolErr", "SCOTT"}, "Usage:"},
      {"drop of an unknown instance", {"drop", "NoSuchInstance"}, "NoSuchInstance"},
      {"a script that does not exist",
       {"load", "ToolErr", (root_ / "missing.sql").string()},
       "missing.sql"},
      {"a script with an error names its line",
       {"load", "ToolErr", broken.string()},
       "broken.sql, line 5"},
      {"wrong password",
       {"query", "ToolErr", "SCOTT", "lion", "select 1 from dual"},
       "ORA-01017: invalid username/password; logon denied"},
      {"unknown table",
       {"query", "ToolErr", "SCOTT", "tiger", R"(Select "A" from "SCOTT"."NOPE" w)"},
       "ORA-00942: table or view does not exist"},
  };
  for (const Case& c : cases) {
    const ToolRun run = Run(c.args);
    EXPECT_NE(run.status, 0) << c.what;
    EXPECT_NE(run.err.find(c.inError), std::string::npos) << c.what << ": " << run.err;
    EXPECT_EQ(run.out.find("Usage:"), std::string::npos) << c.what;
  }
}

TEST_F(OracleTool, LoadEndsWithALinePerScriptAndHonoursStrictAndContinueOnError) {
  const fs::path good = root_ / "good.sql";
  std::ofstream(good) << "CREATE USER rep IDENTIFIED BY rep_pw;\nCONNECT rep/rep_pw\n"
                         "CREATE TABLE a (x NUMBER);\nCREATE TABLE b (y NUMBER);\n"
                         "CREATE INDEX a_ix ON a (x);\n"
                         "BEGIN\n  FOR i IN 1 .. 3 LOOP\n    INSERT INTO a VALUES (i);\n"
                         "  END LOOP;\n  INSERT INTO b VALUES (1);\nEND;\n/\n";
  const ToolRun load = Run({"load", "ToolRep", good.string()});
  ASSERT_EQ(load.status, 0) << load.err;
  EXPECT_NE(load.out.find("good.sql, line 5: skipped CREATE INDEX\n"), std::string::npos)
      << load.out;
  EXPECT_NE(load.out.find("good.sql: 7 statements, 4 rows (A 3, B 1), 1 skipped\n"),
            std::string::npos)
      << load.out;

  // --strict: the skipped statement is an error.
  const fs::path skips = root_ / "skips.sql";
  std::ofstream(skips) << "CONNECT rep/rep_pw\nCREATE TABLE c (z NUMBER);\n"
                          "CREATE VIEW v AS SELECT * FROM c;\n";
  const ToolRun strict = Run({"load", "--strict", "ToolRep", skips.string()});
  EXPECT_EQ(strict.status, 1);
  EXPECT_NE(strict.err.find("skips.sql, line 3: skipped CREATE VIEW (an error with --strict)"),
            std::string::npos)
      << strict.err;

  // --continue-on-error: every failure is listed with its line, the rest loads, exit 1.
  const fs::path bad = root_ / "bad.sql";
  std::ofstream(bad) << "CONNECT rep/rep_pw\nINSERT INTO nope VALUES (1);\n"
                        "INSERT INTO b VALUES (2);\nINSERT INTO b VALUES ('x');\n";
  const ToolRun stops = Run({"load", "ToolRep", bad.string()});
  EXPECT_EQ(stops.status, 1);
  EXPECT_NE(stops.err.find("bad.sql, line 2: ORA-00942"), std::string::npos) << stops.err;
  const ToolRun goesOn = Run({"load", "--continue-on-error", "ToolRep", bad.string()});
  EXPECT_EQ(goesOn.status, 1);
  EXPECT_NE(goesOn.err.find("bad.sql, line 2: ORA-00942"), std::string::npos) << goesOn.err;
  EXPECT_NE(goesOn.err.find("bad.sql, line 4: ORA-01722"), std::string::npos) << goesOn.err;
  EXPECT_NE(goesOn.out.find("bad.sql: 1 statement, 1 row (B 1), 0 skipped, 2 failed"),
            std::string::npos)
      << goesOn.out;
  const ToolRun count = Run({"query", "ToolRep", "rep", "rep_pw", "select count(*) from b"});
  EXPECT_EQ(count.out, "DECIMAL:2\n") << count.err;
}

TEST_F(OracleTool, CommandLineOptionsAsUsersTypeThem) {
  struct Case {
    const char* what;
    std::vector<std::string> args;
    int status;
    std::string inOut;
    std::string inErr;
  };
  const std::vector<Case> cases = {
      {"each command has its own help", {"load", "--help"}, 0, "--continue-on-error", ""},
      {"query help", {"query", "--help"}, 0, "PASSWORD", ""},
      {"a misspelt option", {"load", "--verbos", "X", "a.sql"}, 2, "", "did you mean --verbose?"},
      {"an unknown option", {"drop", "--force", "X"}, 2, "", "Usage:"},
      {"a missing argument", {"drop"}, 2, "", "SERVICE is required"},
  };
  for (const Case& c : cases) {
    const ToolRun run = Run(c.args);
    EXPECT_EQ(run.status, c.status) << c.what << ": " << run.err;
    EXPECT_NE(run.out.find(c.inOut), std::string::npos) << c.what << ": " << run.out;
    EXPECT_NE(run.err.find(c.inErr), std::string::npos) << c.what << ": " << run.err;
  }
}

}  // namespace
}  // namespace skerrow
