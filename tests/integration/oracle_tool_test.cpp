// skerrow-oracle as a user runs it: load (creating the instance in the first directory of the
// search path), query, drop, its usage text, and errors on standard error with a non-zero
// status.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
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

// A run of the built program with what it used: its peak resident memory, and the lines it
// printed (only the first 64 KiB of them kept), so that a huge output need not be held here.
struct MeasuredRun {
  int status = -1;  // -1 when it did not exit normally (a crash)
  std::string out;
  std::size_t outLines = 0;
  std::string err;
  long peakKiB = 0;
};

// Runs `program` with `args`, SKERROW_ORACLE_PATH=`searchPath` and, when `stackBytes` is not 0,
// its main stack limited to that size.
MeasuredRun RunMeasured(const fs::path& program, const std::vector<std::string>& args,
                        const std::string& searchPath, rlim_t stackBytes = 0) {
  MeasuredRun run;
  const fs::path errFile =
      fs::temp_directory_path() / ("skerrow-measured-" + std::to_string(::getpid()) + ".err");
  int out[2];
  if (::pipe(out) != 0) return run;
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(out[1], STDOUT_FILENO);
    ::close(out[0]);
    ::close(out[1]);
    if (std::FILE* err = std::fopen(errFile.c_str(), "w")) ::dup2(::fileno(err), STDERR_FILENO);
    if (stackBytes != 0) {
      const rlimit limit{stackBytes, stackBytes};
      ::setrlimit(RLIMIT_STACK, &limit);
    }
    ::setenv("SKERROW_ORACLE_PATH", searchPath.c_str(), 1);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(out[1]);
  char buffer[65536];
  ssize_t got = 0;
  while ((got = ::read(out[0], buffer, sizeof buffer)) > 0) {
    run.outLines += static_cast<std::size_t>(std::count(buffer, buffer + got, '\n'));
    if (run.out.size() < sizeof buffer) run.out.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(out[0]);
  int waitStatus = 0;
  rusage usage{};
  ::wait4(child, &waitStatus, 0, &usage);
  run.status = WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -1;
  run.peakKiB = usage.ru_maxrss;
  run.err = test::ReadAndRemove(errFile);
  return run;
}

// The memory bound for any one hostile input: 100 MB, and three times that in a build with
// AddressSanitizer, whose shadow memory and quarantine come on top of the program's own.
#if defined(__SANITIZE_ADDRESS__)
constexpr long kMaxPeakKiB = 300 * 1024;
#else
constexpr long kMaxPeakKiB = 100 * 1024;
#endif

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
                         "CREATE VIEW a_v AS SELECT x FROM a;\n"
                         "BEGIN\n  FOR i IN 1 .. 3 LOOP\n    INSERT INTO a VALUES (i);\n"
                         "  END LOOP;\n  INSERT INTO b VALUES (1);\nEND;\n/\n";
  const ToolRun load = Run({"load", "ToolRep", good.string()});
  ASSERT_EQ(load.status, 0) << load.err;
  EXPECT_NE(load.out.find("good.sql, line 5: skipped CREATE VIEW\n"), std::string::npos)
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

// Hostile and huge scripts, loaded as a user would, meet a clear error (or load) at once, in
// bounded memory, with a main stack of 1 MiB: the loader's limits hold whatever stack it is given.
TEST_F(OracleTool, HostileScriptsMeetAClearErrorInBoundedMemory) {
  const fs::path setup = root_ / "setup.sql";
  std::ofstream(setup) << "CREATE USER u IDENTIFIED BY p;\nCONNECT u/p\n"
                          "CREATE TABLE t (a VARCHAR2(4000));\nCREATE TABLE n (a NUMBER);\n"
                          // a row, so that a WHERE condition is evaluated
                          "INSERT INTO t VALUES ('seed');\n";
  ASSERT_EQ(Run({"load", "Hostile", setup.string()}).status, 0);
  const auto repeated = [](const std::string& text, int times) {
    std::string all;
    for (int i = 0; i < times; ++i) all += text;
    return all;
  };
  const std::string digits = "1" + std::string(29999, '0');
  struct Case {
    const char* what;
    std::string script;  // after CONNECT u/p
    int status;
    std::string says;  // on standard error for a failure, standard output else
  };
  const std::vector<Case> cases = {
      {"7,000 nested brackets",
       "INSERT INTO t VALUES (" + repeated("(", 7000) + "1" + repeated(")", 7000) + ");", 1,
       "script.sql, line 2: the expression nests deeper than 500 levels"},
      {"7,000 nested function calls",
       "INSERT INTO t VALUES (" + repeated("UPPER(", 7000) + "'x'" + repeated(")", 7000) + ");", 1,
       "nests deeper than 500 levels"},
      {"7,000 nested CASEs",
       "INSERT INTO t VALUES (" + repeated("CASE WHEN 1 = 1 THEN ", 7000) + "'x'" +
           repeated(" END", 7000) + ");",
       1, "nests deeper than 500 levels"},
      {"7,000 NOTs", "DELETE FROM t WHERE " + repeated("NOT ", 7000) + "1 = 1;", 1,
       "nests deeper than 500 levels"},
      {"480 nested brackets, within the limit",
       "INSERT INTO t VALUES (" + repeated("(", 480) + "1" + repeated(")", 480) + ");", 0,
       "1 row (T 1)"},
      {"100,000 nested FOR loops",
       "BEGIN\n" + repeated("FOR i IN 1..1 LOOP\n", 100000) + "NULL;\n" +
           repeated("END LOOP;\n", 100000) + "END;\n/",
       1, "nest deeper than 32 levels"},
      {"two numbers of 30,000 digits divided",
       "INSERT INTO n VALUES (" + digits + " / " + digits.substr(1) + "7);", 1,
       "ORA-01426: numeric overflow"},
      {"two fractions of 30,000 digits divided",
       "INSERT INTO n VALUES (0." + std::string(30000, '3') + " / 0." + std::string(30000, '7') +
           ");",
       0, "1 row (N 1)"},
      {"RPAD to a million characters", "INSERT INTO n VALUES (LENGTH(RPAD('x', 1000000)));", 0,
       "1 row (N 1)"},
      {"RPAD with a pad of a continuation byte", "INSERT INTO t VALUES (RPAD('x', 5, CHR(128)));",
       0, "1 row (T 1)"},
      {"RPAD with an empty LOB as the pad", "INSERT INTO t VALUES (RPAD('x', 5, EMPTY_CLOB()));", 0,
       "1 row (T 1)"},
      {"RPAD to 10^20 characters", "INSERT INTO t VALUES (RPAD('x', 1e20));", 1,
       "larger than 64 MiB"},
      {"an interval precision of 10^9",
       "INSERT INTO t VALUES (INTERVAL '1' DAY(1000000000) TO SECOND);", 1, "ORA-30088"},
      {"a fractional precision of 999999999",
       "INSERT INTO t VALUES (INTERVAL '1' DAY TO SECOND(999999999));", 1, "ORA-30088"},
      {"an identifier of 10,000 characters",
       "CREATE TABLE " + std::string(10000, 'a') + " (x NUMBER);", 1,
       "ORA-00972: identifier is too long"},
      {"a NUL inside a quoted name", std::string("CREATE TABLE \"a\0b\" (x NUMBER);", 30), 1,
       "ORA-00911: invalid character"},
      {"a SQL*Plus line ending in - before a blank line",
       "PROMPT -\n\nINSERT INTO t VALUES ('after');", 0, "1 row (T 1)"},
      {"text after EXIT", "INSERT INTO t VALUES ('before');\nEXIT\nnot SQL at all ('", 0,
       "1 row (T 1)"},
  };
  for (const Case& c : cases) {
    const fs::path script = root_ / "script.sql";
    std::ofstream(script, std::ios::binary) << "CONNECT u/p\n" << c.script << "\n";
    const MeasuredRun run =
        RunMeasured(Program(), {"load", "Hostile", script.string()}, first_.string(), 1u << 20);
    EXPECT_EQ(run.status, c.status) << c.what << ": " << run.err;
    EXPECT_NE((c.status == 0 ? run.out : run.err).find(c.says), std::string::npos)
        << c.what << ": " << run.out << run.err;
    EXPECT_EQ(run.err.find("std::"), std::string::npos) << c.what << ": " << run.err;
    EXPECT_LT(run.peakKiB, kMaxPeakKiB) << c.what;
  }
}

TEST_F(OracleTool, AByteOrderMarkBeforeTheFirstStatementIsSkipped) {
  const fs::path script = root_ / "bom.sql";
  std::ofstream(script, std::ios::binary)
      << "\xEF\xBB\xBF"
      << "CREATE USER b IDENTIFIED BY b_pw;\nCONNECT b/b_pw\n"
      << "CREATE TABLE t (a NUMBER);\nINSERT INTO t VALUES (1);\n";
  const ToolRun load = Run({"load", "Marked", script.string()});
  EXPECT_EQ(load.status, 0) << load.err;
  EXPECT_NE(load.out.find("bom.sql: 3 statements, 1 row (T 1), 0 skipped"), std::string::npos)
      << load.out;
}

// A query's rows are printed as they are made: a cross join of a million rows runs in the memory
// of a few hundred.
TEST_F(OracleTool, QueryPrintsRowsAsTheyComeWithoutHoldingThemAll) {
  const fs::path script = root_ / "big.sql";
  std::ofstream(script) << "CREATE USER q IDENTIFIED BY q_pw;\nCONNECT q/q_pw\n"
                           "CREATE TABLE big (id NUMBER, label VARCHAR2(100));\n"
                           "BEGIN\n  FOR i IN 1 .. 1000 LOOP\n"
                           "    INSERT INTO big VALUES (i, RPAD('label', 90, 'x') || i);\n"
                           "  END LOOP;\nEND;\n/\n";
  ASSERT_EQ(Run({"load", "Streamed", script.string()}).status, 0);
  const MeasuredRun cross = RunMeasured(
      Program(), {"query", "Streamed", "q", "q_pw", "select * from big a, big b"}, first_.string());
  EXPECT_EQ(cross.status, 0) << cross.err;
  EXPECT_EQ(cross.outLines, 1'000'000u);
  EXPECT_EQ(cross.out.substr(0, 20), "DECIMAL:1\tTEXT:label");
  EXPECT_LT(cross.peakKiB, kMaxPeakKiB);
  // FETCH FIRST stops the join at the rows it wants.
  const MeasuredRun first = RunMeasured(
      Program(),
      {"query", "Streamed", "q", "q_pw",
       "select a.id, b.id from big a, big b, big c where c.id = 2 fetch first 3 rows only"},
      first_.string());
  EXPECT_EQ(first.out, "DECIMAL:1\tDECIMAL:1\nDECIMAL:1\tDECIMAL:2\nDECIMAL:1\tDECIMAL:3\n")
      << first.err;
}

// A service name is a plain name: a path or ".." never makes or finds an instance outside the
// search path, in any command.
TEST_F(OracleTool, ServiceNamesThatArePathsResolveToNothing) {
  const fs::path script = root_ / "one.sql";
  std::ofstream(script) << "CREATE USER p IDENTIFIED BY p_pw;\n";
  for (const std::string& service :
       {std::string("../escaped"), (root_ / "absolute").string(), std::string("a/b"),
        std::string(".."), std::string("a\\b"), std::string("x..y")}) {
    const ToolRun load = Run({"load", service, script.string()});
    EXPECT_EQ(load.status, 1) << service;
    EXPECT_NE(load.err.find("ORA-12154: TNS:could not resolve the connect identifier specified"),
              std::string::npos)
        << service << ": " << load.err;
    for (const std::vector<std::string>& other :
         {std::vector<std::string>{"drop", service},
          std::vector<std::string>{"query", service, "p", "p_pw", "select 1 from dual"}}) {
      const ToolRun run = Run(other);
      EXPECT_NE(run.status, 0) << other[0] << " " << service;
      EXPECT_NE(run.err.find("ORA-12154"), std::string::npos) << other[0] << ": " << run.err;
    }
  }
  EXPECT_FALSE(fs::exists(root_ / "escaped"));
  EXPECT_FALSE(fs::exists(root_ / "absolute"));
  EXPECT_FALSE(fs::exists(first_)) << "no instance was made in the search path either";
}

TEST_F(OracleTool, ObjectTypesOfAnEarlierLoadAreColumnTypesOfALaterOne) {
  const fs::path types = root_ / "types.sql";
  std::ofstream(types) << "CREATE USER o IDENTIFIED BY o_pw;\nCONNECT o/o_pw\n"
                          "CREATE TYPE point_t AS OBJECT (x NUMBER, y NUMBER);\n/\n";
  ASSERT_EQ(Run({"load", "Typed", types.string()}).status, 0);
  const fs::path tables = root_ / "tables.sql";
  std::ofstream(tables) << "CONNECT o/o_pw\nCREATE TABLE p (at point_t);\n"
                           "INSERT INTO p VALUES (point_t(1, 2));\n";
  const ToolRun load = Run({"load", "Typed", tables.string()});
  EXPECT_EQ(load.status, 0) << load.err;
  EXPECT_EQ(Run({"query", "Typed", "o", "o_pw", "select at from p"}).out, "TEXT:POINT_T(1, 2)\n");
}

TEST_F(OracleTool, ADamagedInstanceIsNamedSoInsteadOfWithSqlitesWords) {
  const fs::path script = root_ / "one.sql";
  std::ofstream(script) << "CREATE USER d IDENTIFIED BY d_pw;\n";
  ASSERT_EQ(Run({"load", "Damaged", script.string()}).status, 0);
  std::ofstream(first_ / "Damaged" / "catalog.db", std::ios::binary | std::ios::trunc)
      << std::string(4096, 'x');
  const ToolRun load = Run({"load", "Damaged", script.string()});
  EXPECT_EQ(load.status, 1);
  EXPECT_NE(load.err.find("the instance's files are damaged"), std::string::npos) << load.err;
  const ToolRun query = Run({"query", "Damaged", "d", "d_pw", "select 1 from dual"});
  EXPECT_EQ(query.status, 1);
  EXPECT_NE(query.err.find("ORA-01034: ORACLE not available (the instance's files are damaged"),
            std::string::npos)
      << query.err;
}

}  // namespace
}  // namespace skerrow
