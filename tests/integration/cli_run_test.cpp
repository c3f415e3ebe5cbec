// Runs the built skerrow-cli against the MariaDB sandbox and an embedded Oracle instance built
// by skerrow-oracle from the script below.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/bulk_tables.h"
#include "support/golden_files.h"
#include "support/mysql_dump.h"
#include "support/mysql_sandbox.h"
#include "support/program_run.h"

namespace skerrow::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kService = "CLIRUN";
constexpr const char* kUser = "CLI_OWNER";
constexpr const char* kPassword = "secret";

// Three tables that convert cleanly (one with a composite key, one without any constraint)
// and, for a second user, a table MySQL refuses to create (a column name ending in a blank).
constexpr const char* kFixtureScript = R"(SET DEFINE OFF
CREATE USER cli_owner IDENTIFIED BY secret;
CREATE USER cli_broken IDENTIFIED BY broken;
CONNECT cli_owner/secret
CREATE TABLE dept (
  deptno NUMBER(2) CONSTRAINT pk_dept PRIMARY KEY,
  dname  VARCHAR2(14) NOT NULL,
  loc    VARCHAR2(13) DEFAULT 'NOWHERE'
);
INSERT INTO dept VALUES (10, 'ACCOUNTING', 'NEW YORK');
INSERT INTO dept VALUES (20, 'O''Reilly "R&D"', 'Zürich');
INSERT INTO dept VALUES (30, 'SALES', NULL);
CREATE TABLE assignment (
  empno  NUMBER(4),
  deptno NUMBER(2),
  since  DATE,
  CONSTRAINT pk_assignment PRIMARY KEY (empno, deptno)
);
INSERT INTO assignment VALUES (7369, 10, DATE '1980-12-17');
INSERT INTO assignment VALUES (7369, 20, DATE '1981-02-20');
CREATE TABLE notes (written DATE, text VARCHAR2(200));
INSERT INTO notes VALUES (NULL, 'C:\temp\ and a tab	here');
COMMIT;
CONNECT cli_broken/broken
CREATE TABLE good (id NUMBER(3) PRIMARY KEY);
INSERT INTO good VALUES (1);
CREATE TABLE broken ("TRAILING " VARCHAR2(5));
INSERT INTO broken VALUES ('x');
COMMIT;
)";

// A user whose table name holds a Latin-1 byte, as a script saved in ISO-8859-1 gives it:
// MySQL refuses the name, and the report must still be JSON.
constexpr const char* kLatin1Script =
    "CREATE USER cli_latin IDENTIFIED BY latin;\n"
    "CONNECT cli_latin/latin\n"
    "CREATE TABLE \"caf\xe9\" (id NUMBER(3));\n"
    "INSERT INTO \"caf\xe9\" VALUES (1);\n"
    "CREATE TABLE plain (id NUMBER(3) PRIMARY KEY);\n"
    "INSERT INTO plain VALUES (1);\n"
    "COMMIT;\n";

// Five tables of 25,000 rows, long enough to convert for a Ctrl-C to arrive on the way.
constexpr int kBulkTables = 5;
constexpr int kBulkRows = 25000;

using test::ProgramRun;

// The environment of a run: no passwords from outside, and a name that is not an embedded
// instance goes to a client library that does not exist, so the outcome is the same on
// machines that have one.
std::vector<std::string> CleanEnvironment(const fs::path& oraclePath,
                                          std::vector<std::string> environment = {}) {
  environment.insert(environment.begin(),
                     {"-u SKERROW_ORACLE_PASSWORD", "-u SKERROW_MYSQL_PASSWORD",
                      "SKERROW_OCI_LIBRARY=/nonexistent/libclntsh.so",
                      "SKERROW_ORACLE_PATH=" + oraclePath.string()});
  return environment;
}

// Runs `program` with `args` in a clean environment for the passwords.
ProgramRun RunProgram(const fs::path& program, const std::vector<std::string>& args,
                      const fs::path& oraclePath, std::vector<std::string> environment = {}) {
  return test::RunProgram(program, args, CleanEnvironment(oraclePath, std::move(environment)));
}

// The report without what differs from run to run: the times and the database's name.
nlohmann::json WithoutTimesAndDatabase(nlohmann::json report) {
  for (const char* key : {"start", "end", "database"}) report.erase(key);
  return report;
}

fs::path CliProgram() {
  return fs::path(SKERROW_BINARY_DIR) / "src/cli/skerrow-cli";
}
fs::path OracleTool() {
  return fs::path(SKERROW_BINARY_DIR) / "src/oracle/tool/skerrow-oracle";
}

// The object of table `sourceName` in the report's table list; null when there is none.
nlohmann::json TableOf(const nlohmann::json& report, const std::string& sourceName) {
  for (const auto& table : report.at("tables")) {
    if (table.at("sourceName") == sourceName) return table;
  }
  return nullptr;
}

class CliRunTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    oraclePath_ = fs::temp_directory_path() / ("skerrow-cli-oracle-" + std::to_string(::getpid()));
    fs::remove_all(oraclePath_);
    fs::create_directories(oraclePath_);
    const fs::path script = oraclePath_ / "fixture.sql";
    std::ofstream(script) << kFixtureScript;
    const fs::path latin1Script = oraclePath_ / "latin1.sql";
    std::ofstream(latin1Script, std::ios::binary) << kLatin1Script;
    const fs::path exactValues = fs::path(SKERROW_FIXTURE_DIR) / "exact_values.sql";
    const fs::path bulkScript = oraclePath_ / "bulk.sql";
    std::ofstream(bulkScript) << BulkTablesScript("cli_bulk", "bulk", "BULK", kBulkTables,
                                                  kBulkRows);
    loadRun_ = RunProgram(OracleTool(),
                          {"load", kService, script.string(), latin1Script.string(),
                           exactValues.string(), bulkScript.string()},
                          oraclePath_);
  }
  static void TearDownTestSuite() { fs::remove_all(oraclePath_); }

  void SetUp() override {
    ASSERT_TRUE(fs::exists(CliProgram())) << CliProgram();
    ASSERT_EQ(loadRun_.status, 0) << "the fixture did not load: " << loadRun_.err;
    sandbox_ = RequireSandbox();
    ASSERT_TRUE(sandbox_);
    probe_.emplace(*sandbox_);
    ASSERT_TRUE(probe_->Connected()) << probe_->Error();
  }

  // The options of a run as the given Oracle user into `database`.
  std::vector<std::string> ConnectionArgs(const std::string& database,
                                          const std::string& user = kUser,
                                          const std::string& password = kPassword) const {
    return {"--oracle-service",  kService,       "--oracle-user",    user,
            "--oracle-password", password,       "--mysql-server",   sandbox_->host,
            "--mysql-login",     sandbox_->user, "--mysql-password", sandbox_->password,
            "--database",        database};
  }

  ProgramRun RunCli(std::vector<std::string> args, std::vector<std::string> extra = {}) {
    args.insert(args.end(), extra.begin(), extra.end());
    return RunProgram(CliProgram(), args, oraclePath_);
  }

  // skerrow-cli started with `args`, not waited for.
  std::unique_ptr<test::RunningProgram> StartCli(const std::vector<std::string>& args) {
    return std::make_unique<test::RunningProgram>(CliProgram(), args,
                                                  CleanEnvironment(oraclePath_));
  }

  int TableCount(const std::string& database) {
    return std::stoi(probe_
                         ->Scalar("SELECT COUNT(*) FROM information_schema.tables WHERE "
                                  "table_schema = '" +
                                  database + "'")
                         .value_or("0"));
  }

  // Returns once the run has created `tables` tables in `database` (false after a minute).
  bool WaitForTables(const std::string& database, int tables) {
    for (int i = 0; i < 6000; ++i) {
      if (TableCount(database) >= tables) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  bool DatabaseExists(const std::string& name) {
    const auto count = probe_->Scalar(
        "SELECT COUNT(*) FROM information_schema.schemata WHERE schema_name = '" + name + "'");
    return count == "1";
  }

  static inline fs::path oraclePath_;
  static inline ProgramRun loadRun_;
  std::optional<MySqlSandbox> sandbox_;
  std::optional<MySqlProbe> probe_;
};

TEST_F(CliRunTest, FullConversionReportMatchesWhatMySqlHolds) {
  const std::string database = probe_->ScratchDatabase("cli_full");
  const fs::path reportFile = oraclePath_ / "report.json";
  const ProgramRun run =
      RunCli(ConnectionArgs(database), {"--all-tables", "--report", reportFile.string()});
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_NE(run.out.find("Skerrow Database Conversion completed successfully.\n3 tables, 6 rows "
                         "converted into " +
                         database + ".\n"),
            std::string::npos)
      << run.out;
  // The per-table report is printed once, after the message (not again as its details).
  const std::size_t reportTable = run.out.find("Destination database: ");
  ASSERT_NE(reportTable, std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("Destination database: ", reportTable + 1), std::string::npos) << run.out;

  const auto json = nlohmann::json::parse(ReadWholeFile(reportFile));
  EXPECT_EQ(json["database"], database) << json;
  EXPECT_EQ(json["succeeded"], true);
  EXPECT_EQ(json["invalidUtf8Replaced"], false);
  struct Expected {
    std::string table;
    int rows;
    bool keyClause;
  };
  for (const Expected& e :
       {Expected{"DEPT", 3, true}, Expected{"ASSIGNMENT", 2, true}, Expected{"NOTES", 1, false}}) {
    SCOPED_TRACE(e.table);
    const nlohmann::json table = TableOf(json, e.table);
    ASSERT_TRUE(table.is_object()) << json;
    EXPECT_EQ(table["createdName"], e.table);
    EXPECT_EQ(table["rowsRead"], e.rows);
    EXPECT_EQ(table["rowsWritten"], e.rows);
    EXPECT_EQ(table["rowsRefused"], 0);
    EXPECT_EQ(table["abandoned"], nullptr);
    EXPECT_EQ(table["keyClauseAdded"], e.keyClause);
    EXPECT_EQ(probe_->Scalar("SELECT COUNT(*) FROM `" + database + "`.`" + e.table + "`"),
              std::to_string(e.rows));
    const auto keyColumns = probe_->Scalar(
        "SELECT COUNT(*) FROM information_schema.key_column_usage WHERE table_schema = '" +
        database + "' AND table_name = '" + e.table + "' AND constraint_name = 'PRIMARY'");
    EXPECT_EQ(keyColumns != "0", e.keyClause);
  }
  EXPECT_EQ(probe_->Scalar("SELECT dname FROM `" + database + "`.`DEPT` WHERE deptno = 20"),
            "O'Reilly \"R&D\"");
  EXPECT_EQ(json["totals"]["rowsWritten"], 6) << "totals: " << json["totals"];

  // The report table names every table with its figures.
  EXPECT_NE(run.out.find("ASSIGNMENT"), std::string::npos);
  EXPECT_NE(run.out.find("Total"), std::string::npos);
}

TEST_F(CliRunTest, ReportOfNamesThatAreNotUtf8IsStillJsonAndSaysSo) {
  const std::string database = probe_->ScratchDatabase("cli_latin");
  const fs::path reportFile = oraclePath_ / "latin1-report.json";
  const ProgramRun run = RunCli(ConnectionArgs(database, "CLI_LATIN", "latin"),
                                {"--all-tables", "--report=" + reportFile.string()});
  EXPECT_EQ(run.status, 1) << run.out << run.err;

  nlohmann::json json;
  ASSERT_NO_THROW(json = nlohmann::json::parse(ReadWholeFile(reportFile)));
  EXPECT_EQ(json["invalidUtf8Replaced"], true);
  const nlohmann::json refused = TableOf(json, "caf\uFFFD");
  ASSERT_TRUE(refused.is_object()) << json;
  EXPECT_EQ(refused["createdName"], nullptr);
  EXPECT_NE(refused["createError"].get<std::string>().find("Invalid utf8mb4 character string"),
            std::string::npos)
      << refused;
  EXPECT_EQ(TableOf(json, "PLAIN")["rowsWritten"], 1);
}

TEST_F(CliRunTest, ExitStatusesAndTheMessagesBehindThem) {
  const std::string database = probe_->ScratchDatabase("cli_status");
  struct Case {
    std::string name;
    std::vector<std::string> args;
    int status;
    std::string errorPart;
  };
  auto withPassword = [&](const std::string& user, const std::string& password) {
    return ConnectionArgs(database, user, password);
  };
  std::vector<std::string> noOraclePassword = ConnectionArgs(database);
  noOraclePassword.erase(noOraclePassword.begin() + 4, noOraclePassword.begin() + 6);
  std::vector<std::string> badService = ConnectionArgs(database);
  badService[1] = "NO_SUCH_SERVICE";
  std::vector<std::string> badMySqlPassword = ConnectionArgs(database);
  badMySqlPassword[11] = "wrong";

  const Case cases[] = {
      {"bad option", {"--all-tables", "--no-such-option"}, 2, "Unknown option --no-such-option"},
      {"missing Oracle password", noOraclePassword, 2, "Please enter Oracle Password."},
      {"unknown service", badService, 2, "Oracle's client library (libclntsh.so) was not found"},
      {"wrong Oracle password", withPassword(kUser, "wrong"), 2,
       "There is an error to connect with ORACLE. Please check your input parameters User "
       "Name/Password."},
      {"wrong MySQL password", badMySqlPassword, 2,
       "There is an error to connect with MySQL. Please check your input parameters or server "
       "configuration."},
      {"unknown table", ConnectionArgs(database), 2, "owns no table named NOPE"},
      {"refused destination name", ConnectionArgs("my.db"), 2,
       "The Database name you provided contains unsupported Characters."},
      {"table MySQL refuses to create", withPassword("CLI_BROKEN", "broken"), 1,
       "completed with errors"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> args = c.args;
    if (c.name == "unknown table") {
      args.insert(args.end(), {"--tables", "DEPT,NOPE"});
    } else if (c.name != "bad option") {
      args.push_back("--all-tables");
    }
    const ProgramRun run = RunCli(args);
    EXPECT_EQ(run.status, c.status) << run.out << run.err;
    EXPECT_NE(run.err.find(c.errorPart), std::string::npos) << run.err;
    // Passwords are never echoed back.
    EXPECT_EQ(run.out.find(sandbox_->password), std::string::npos);
    EXPECT_EQ(run.err.find(sandbox_->password), std::string::npos);
    if (c.status == 2 && c.name != "refused destination name") {
      EXPECT_FALSE(DatabaseExists(database)) << "nothing is created when the run cannot start";
    }
  }
  // The other table of the user whose second table was refused still converted.
  EXPECT_EQ(probe_->Scalar("SELECT COUNT(*) FROM `" + database + "`.`GOOD`"), "1");
}

// A value DOUBLE cannot hold makes the run one with errors (status 1), named with the first
// such value in the text table and in the JSON report; defaults left out are notes of a table
// that converted.
TEST_F(CliRunTest, RoundedValuesAndSchemaNotesAreReported) {
  const std::string database = probe_->ScratchDatabase("cli_exact");
  const fs::path reportFile = oraclePath_ / "exact-report.json";
  const ProgramRun run = RunCli(ConnectionArgs(database, "EXACT", "exact_pw"),
                                {"--tables", "ACCOUNTS,SETTINGS", "--report", reportFile.string()});
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  EXPECT_NE(run.err.find("ACCOUNTS: 1 value(s) rounded by MySQL's DOUBLE (first: RATIO row 2: "
                         "1234567890123456789 stored as 1234567890123456768)"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.out.find("    rounded: 1 values that MySQL's DOUBLE cannot hold exactly (RATIO 1)\n"
                         "    rounded: RATIO row 2: 1234567890123456789 stored as "
                         "1234567890123456768\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("    note: the default SYSDATE of CREATED was left out: it is not a "
                         "literal"),
            std::string::npos)
      << run.out;

  const auto json = nlohmann::json::parse(ReadWholeFile(reportFile));
  EXPECT_EQ(json["succeeded"], false);
  EXPECT_EQ(json["totals"]["roundedValues"], 1);
  const nlohmann::json accounts = TableOf(json, "ACCOUNTS");
  EXPECT_EQ(accounts["succeeded"], false);
  EXPECT_EQ(accounts["rowsWritten"], 5);
  EXPECT_EQ(accounts["roundedValues"]["count"], 1);
  EXPECT_EQ(accounts["roundedValues"]["columns"],
            nlohmann::json::parse(R"([{"column": "RATIO", "count": 1}])"));
  EXPECT_EQ(accounts["roundedValues"]["examples"][0],
            nlohmann::json::parse(R"({"column": "RATIO", "row": 2,
                "sourceValue": "1234567890123456789", "storedValue": "1234567890123456768"})"));
  const nlohmann::json settings = TableOf(json, "SETTINGS");
  EXPECT_EQ(settings["succeeded"], true);
  ASSERT_EQ(settings["schemaNotes"].size(), 7u) << settings;
  EXPECT_EQ(settings["schemaNotes"][0]["kind"], "defaultDropped");
  EXPECT_EQ(settings["schemaNotes"][0]["column"], "CREATED");
  EXPECT_EQ(settings["schemaNotes"][0]["source"], "SYSDATE");
  EXPECT_EQ(settings["schemaNotes"][0]["mysqlType"], nullptr);
}

// A report that cannot be written, or a destination name that cannot be used, is found before
// anything is changed: --overwrite does not replace the database first.
TEST_F(CliRunTest, ProblemsFoundBeforeConnectingLeaveTheDatabaseUntouched) {
  const std::string database = probe_->ScratchDatabase("cli_preflight");
  ASSERT_TRUE(probe_->Execute("CREATE DATABASE `" + database + "`"));
  ASSERT_TRUE(probe_->Execute("CREATE TABLE `" + database + "`.keep (v INT)"));
  ASSERT_TRUE(probe_->Execute("INSERT INTO `" + database + "`.keep VALUES (7)"));
  const fs::path missing = oraclePath_ / "no-such-folder" / "report.json";
  const fs::path plainFile = oraclePath_ / "fixture.sql";
  struct Case {
    const char* what;
    std::vector<std::string> extra;
    std::string errorPart;
  };
  const Case cases[] = {
      {"report into a missing folder",
       {"--report", missing.string()},
       "The report cannot be written to " + missing.string() + ": the folder " +
           missing.parent_path().string() + " does not exist. Nothing was converted."},
      {"report in place of a folder", {"--report=" + oraclePath_.string()}, ": it is a folder."},
      {"report under a file",
       {"--report", (plainFile / "report.json").string()},
       "is a file. Nothing was converted."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> args = ConnectionArgs(database);
    args.insert(args.end(), {"--all-tables", "--overwrite"});
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    const ProgramRun run = RunCli(args);
    EXPECT_EQ(run.status, 2) << run.out << run.err;
    EXPECT_NE(run.err.find(c.errorPart), std::string::npos) << run.err;
    EXPECT_EQ(run.out.find("completed"), std::string::npos) << run.out;
    EXPECT_EQ(probe_->Scalar("SELECT v FROM `" + database + "`.keep"), "7");
    EXPECT_FALSE(fs::exists(missing.parent_path()));
  }

  // Without --database the service names the destination: one that cannot is refused before
  // the connection is tried, with the way out.
  const ProgramRun run =
      RunCli({"--oracle-service", "db.example.com/ORCL", "--oracle-user", kUser,
              "--oracle-password", kPassword, "--mysql-server", sandbox_->host, "--mysql-login",
              sandbox_->user, "--mysql-password", sandbox_->password, "--all-tables"});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("unsupported Characters"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("unless --database names it"), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("client library"), std::string::npos) << run.err;
}

TEST_F(CliRunTest, PasswordsFromTheEnvironment) {
  const std::string database = probe_->ScratchDatabase("cli_env");
  std::vector<std::string> args = ConnectionArgs(database);
  args.erase(args.begin() + 10, args.begin() + 12);  // --mysql-password
  args.erase(args.begin() + 4, args.begin() + 6);    // --oracle-password
  args.insert(args.end(), {"--tables", "dept", "--quiet"});
  const ProgramRun run = RunProgram(CliProgram(), args, oraclePath_,
                                    {std::string("SKERROW_ORACLE_PASSWORD=") + kPassword,
                                     "SKERROW_MYSQL_PASSWORD=" + sandbox_->password});
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  // --quiet: nothing but problems, and there were none.
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(probe_->Scalar("SELECT COUNT(*) FROM `" + database + "`.`DEPT`"), "3");
  EXPECT_EQ(probe_->Scalar("SELECT COUNT(*) FROM information_schema.tables WHERE "
                           "table_schema = '" +
                           database + "'"),
            "1");
}

TEST_F(CliRunTest, ListTablesPrintsTheUsersTablesAndChangesNothing) {
  const std::string database = probe_->ScratchDatabase("cli_list");
  const ProgramRun run = RunCli(ConnectionArgs(database), {"--list-tables"});
  ASSERT_EQ(run.status, 0) << run.err;
  std::vector<std::string> listed;
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) listed.push_back(line);
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<std::string>{"ASSIGNMENT", "DEPT", "NOTES"}));
  EXPECT_FALSE(DatabaseExists(database));
}

TEST_F(CliRunTest, ExistingDatabaseIsReplacedOnlyWithOverwrite) {
  const std::string database = probe_->ScratchDatabase("cli_exists");
  ASSERT_TRUE(probe_->Execute("CREATE DATABASE `" + database + "`"));
  ASSERT_TRUE(probe_->Execute("CREATE TABLE `" + database + "`.keep (v INT)"));
  ASSERT_TRUE(probe_->Execute("INSERT INTO `" + database + "`.keep VALUES (7)"));

  const ProgramRun declined = RunCli(ConnectionArgs(database), {"--all-tables"});
  EXPECT_EQ(declined.status, 2) << declined.out << declined.err;
  EXPECT_NE(declined.err.find("The database " + database +
                              " already exists on the MySQL server. Are you sure you want to "
                              "overwrite? No"),
            std::string::npos)
      << declined.err;
  EXPECT_NE(declined.err.find("left untouched"), std::string::npos) << declined.err;
  EXPECT_EQ(probe_->Scalar("SELECT v FROM `" + database + "`.keep"), "7");
  EXPECT_EQ(probe_->Scalar("SELECT COUNT(*) FROM information_schema.tables WHERE "
                           "table_schema = '" +
                           database + "'"),
            "1");

  const ProgramRun replaced = RunCli(ConnectionArgs(database), {"--all-tables", "--overwrite"});
  EXPECT_EQ(replaced.status, 0) << replaced.out << replaced.err;
  EXPECT_EQ(probe_->Scalar("SELECT COUNT(*) FROM information_schema.tables WHERE "
                           "table_schema = '" +
                           database + "' AND table_name = 'keep'"),
            "0");
  EXPECT_EQ(probe_->Scalar("SELECT COUNT(*) FROM `" + database + "`.`DEPT`"), "3");
}

// The server refuses to create the destination: the run completed, with errors, so it has a
// report and exit status 1, not the status of a run that could not start.
TEST_F(CliRunTest, ADestinationTheServerWillNotCreateIsARunWithErrors) {
  const std::string login = "skerrow_nocreate_" + std::to_string(::getpid());
  const std::string password = "no-create-pw";
  for (const char* host : {"127.0.0.1", "localhost"})
    ASSERT_TRUE(probe_->Execute("CREATE OR REPLACE USER '" + login + "'@'" + host +
                                "' IDENTIFIED BY '" + password + "'"))
        << probe_->Error();
  const std::string database = probe_->ScratchDatabase("cli_nocreate");
  std::vector<std::string> args = ConnectionArgs(database);
  args[9] = login;
  args[11] = password;
  const fs::path report = oraclePath_ / "nocreate.json";
  const ProgramRun run = RunCli(args, {"--all-tables", "--report", report.string()});
  for (const char* host : {"127.0.0.1", "localhost"})
    EXPECT_TRUE(probe_->Execute("DROP USER IF EXISTS '" + login + "'@'" + host + "'"));

  EXPECT_EQ(run.status, 1) << run.out << run.err;
  EXPECT_NE(run.err.find("completed with errors"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("could not be created"), std::string::npos) << run.err;
  EXPECT_FALSE(DatabaseExists(database));
  ASSERT_TRUE(fs::exists(report));
  EXPECT_NE(ReadWholeFile(report).find("could not be created"), std::string::npos);
}

// The proof of a copy: --verify finds nothing to report in a clean conversion; an UPDATE, a
// DELETE and an INSERT in MySQL afterwards are exactly what --verify-only then finds and names.
TEST_F(CliRunTest, VerifyOnlyFindsEachChangeMadeToAConvertedDatabaseAndExitsWithErrors) {
  const std::string database = probe_->ScratchDatabase("cli_verify");
  const fs::path converted = oraclePath_ / "verify-convert.json";
  const ProgramRun convert = RunCli(ConnectionArgs(database),
                                    {"--all-tables", "--verify", "--report", converted.string()});
  ASSERT_EQ(convert.status, 0) << convert.out << convert.err;
  EXPECT_NE(convert.out.find("verified: 3 rows compared, 0 mismatches"), std::string::npos)
      << convert.out;
  const auto first = nlohmann::json::parse(ReadWholeFile(converted));
  for (const char* name : {"DEPT", "ASSIGNMENT", "NOTES"}) {
    SCOPED_TRACE(name);
    const nlohmann::json verification = TableOf(first, name)["verification"];
    ASSERT_TRUE(verification.is_object()) << first;
    EXPECT_EQ(verification["error"], nullptr);
    EXPECT_EQ(verification["mismatches"], 0);
    EXPECT_EQ(verification["rowsMissingInMySql"], 0);
    EXPECT_EQ(verification["rowsMissingInSource"], 0);
    EXPECT_EQ(verification["rowsCompared"], TableOf(first, name)["rowsRead"]);
    EXPECT_EQ(verification["sourceDigest"].get<std::string>().size(), 64u);
    EXPECT_EQ(verification["sourceDigest"], verification["targetDigest"]);
  }

  const std::string in = "`" + database + "`.";
  ASSERT_TRUE(probe_->Execute("UPDATE " + in + "`DEPT` SET `LOC` = 'BOSTON' WHERE `DEPTNO` = 10"))
      << probe_->Error();
  ASSERT_TRUE(
      probe_->Execute("DELETE FROM " + in + "`ASSIGNMENT` WHERE `EMPNO` = 7369 AND `DEPTNO` = 20"))
      << probe_->Error();
  ASSERT_TRUE(probe_->Execute("INSERT INTO " + in + "`NOTES` VALUES (NULL, 'added later')"))
      << probe_->Error();

  const fs::path checked = oraclePath_ / "verify-only.json";
  const ProgramRun verify = RunCli(ConnectionArgs(database),
                                   {"--all-tables", "--verify-only", "--report", checked.string()});
  EXPECT_EQ(verify.status, 1) << verify.out << verify.err;
  // The report table on standard output names every difference; the message on standard
  // error says the run had errors and names the first of each table.
  for (const char* line : {"difference: DEPTNO=10, LOC: Oracle NEW YORK, MySQL BOSTON",
                           "difference: EMPNO=7369, DEPTNO=20: in Oracle, missing in MySQL",
                           "difference: (NULL, added later): in MySQL only, not in Oracle"})
    EXPECT_NE(verify.out.find(line), std::string::npos) << line << "\n" << verify.out;
  for (const char* line : {"Skerrow Database Verification completed with errors.\n3 tables of ",
                           "DEPT: verified: 3 rows compared, 1 mismatch (first: DEPTNO=10, LOC: "
                           "Oracle NEW YORK, MySQL BOSTON)"})
    EXPECT_NE(verify.err.find(line), std::string::npos) << line << "\n" << verify.err;

  const auto second = nlohmann::json::parse(ReadWholeFile(checked));
  EXPECT_EQ(second["verifyOnly"], true);
  EXPECT_EQ(second["succeeded"], false);
  EXPECT_EQ(second["totals"]["verificationDifferences"], 3);
  struct Expected {
    const char* table;
    nlohmann::json difference;
  };
  const Expected expected[] = {
      {"DEPT",
       {{"kind", "valueDiffers"},
        {"key", "DEPTNO=10"},
        {"column", "LOC"},
        {"sourceValue", "NEW YORK"},
        {"targetValue", "BOSTON"},
        {"hex", false}}},
      {"ASSIGNMENT",
       {{"kind", "missingInMySql"},
        {"key", "EMPNO=7369, DEPTNO=20"},
        {"column", nullptr},
        {"sourceValue", nullptr},
        {"targetValue", nullptr},
        {"hex", false}}},
      {"NOTES",
       {{"kind", "missingInSource"},
        {"key", "(NULL, added later)"},
        {"column", nullptr},
        {"sourceValue", nullptr},
        {"targetValue", nullptr},
        {"hex", false}}},
  };
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.table);
    const nlohmann::json verification = TableOf(second, e.table)["verification"];
    ASSERT_TRUE(verification.is_object()) << second;
    EXPECT_EQ(verification["differences"], nlohmann::json::array({e.difference}));
    // The source did not change: its digest is the one of the first run; MySQL's is not.
    const nlohmann::json before = TableOf(first, e.table)["verification"];
    EXPECT_EQ(verification["sourceDigest"], before["sourceDigest"]);
    EXPECT_NE(verification["targetDigest"], before["targetDigest"]);
  }
  // Nothing was written: the changed rows are as the changes left them.
  EXPECT_EQ(probe_->Scalar("SELECT COUNT(*) FROM " + in + "`NOTES`"), "2");
  EXPECT_EQ(probe_->Scalar("SELECT `LOC` FROM " + in + "`DEPT` WHERE `DEPTNO` = 10"), "BOSTON");
}

TEST_F(CliRunTest, VerifyOnlyOfADatabaseThatIsNotThereSaysSo) {
  const std::string database = probe_->ScratchDatabase("cli_verify_none");
  const ProgramRun run = RunCli(ConnectionArgs(database), {"--tables", "DEPT", "--verify-only"});
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  EXPECT_NE(run.err.find("DEPT: not verified: MySQL has no table DEPT in database " + database),
            std::string::npos)
      << run.err;
  EXPECT_FALSE(DatabaseExists(database));
}

// Three tables at a time give the same database and the same report as one at a time, for a
// user whose tables convert and for one with a table MySQL refuses (which stops no other).
TEST_F(CliRunTest, SeveralTablesAtOnceGiveTheSameDatabaseAndReport) {
  struct Case {
    std::string user;
    std::string password;
    int status;
  };
  for (const Case& c : {Case{kUser, kPassword, 0}, Case{"CLI_BROKEN", "broken", 1}}) {
    SCOPED_TRACE(c.user);
    std::vector<nlohmann::json> reports;
    std::vector<std::string> contents;
    for (const char* jobs : {"1", "3"}) {
      SCOPED_TRACE(jobs);
      const std::string database = probe_->ScratchDatabase("cli_jobs" + std::string(jobs));
      const fs::path reportFile = oraclePath_ / ("jobs" + std::string(jobs) + ".json");
      const ProgramRun run =
          RunCli(ConnectionArgs(database, c.user, c.password),
                 {"--all-tables", "--jobs", jobs, "--report", reportFile.string()});
      EXPECT_EQ(run.status, c.status) << run.out << run.err;
      reports.push_back(WithoutTimesAndDatabase(nlohmann::json::parse(ReadWholeFile(reportFile))));
      contents.push_back(CanonicalDump(*probe_, database, std::chrono::system_clock::now()));
    }
    EXPECT_EQ(reports[1], reports[0]);
    EXPECT_EQ(contents[1], contents[0]);
    if (c.status == 1) {
      EXPECT_EQ(TableOf(reports[1], "GOOD")["succeeded"], true);
      EXPECT_EQ(TableOf(reports[1], "BROKEN")["succeeded"], false);
    }
  }
}

// Ctrl-C: no further table starts, the running ones finish with every row, and the run
// reports itself stopped (exit status 1: not every table was converted).
TEST_F(CliRunTest, CtrlCFinishesTheRunningTablesAndStartsNoOther) {
  const std::string database = probe_->ScratchDatabase("cli_ctrlc");
  const fs::path reportFile = oraclePath_ / "ctrlc.json";
  auto args = ConnectionArgs(database, "CLI_BULK", "bulk");
  args.insert(args.end(), {"--all-tables", "--jobs", "2", "--report", reportFile.string()});
  const auto running = StartCli(args);
  ASSERT_TRUE(running->Started());
  ASSERT_TRUE(WaitForTables(database, 2));
  running->Signal(SIGINT);
  const ProgramRun run = running->Wait();
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  EXPECT_NE(run.err.find("Ctrl-C: no further table is started"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("Press Ctrl-C again to end at once."), std::string::npos) << run.err;
  EXPECT_NE(run.out.find("The run was stopped before every checked table was converted."),
            std::string::npos)
      << run.out;

  const auto json = nlohmann::json::parse(ReadWholeFile(reportFile));
  EXPECT_EQ(json["stopped"], true);
  EXPECT_EQ(json["runError"], nullptr);
  const auto& tables = json["tables"];
  EXPECT_GE(tables.size(), 2u);
  EXPECT_LT(tables.size(), static_cast<std::size_t>(kBulkTables));
  for (const auto& table : tables) {
    SCOPED_TRACE(table.dump());
    EXPECT_EQ(table["succeeded"], true);
    EXPECT_EQ(table["rowsWritten"], kBulkRows);
  }
  EXPECT_EQ(TableCount(database), static_cast<int>(tables.size()));
}

// Started with SIGINT ignored (a background job of a script, nohup), skerrow-cli leaves it
// ignored: the conversion goes on to the end.
TEST_F(CliRunTest, AnInterruptIgnoredAtTheStartStaysIgnored) {
  const std::string database = probe_->ScratchDatabase("cli_ignored");
  std::vector<std::string> args = {"-c", "trap '' INT; exec \"$0\" \"$@\"", CliProgram().string()};
  for (const auto& arg : ConnectionArgs(database, "CLI_BULK", "bulk")) args.push_back(arg);
  args.insert(args.end(), {"--all-tables", "--jobs", "2"});
  test::RunningProgram running("/bin/sh", args, CleanEnvironment(oraclePath_));
  ASSERT_TRUE(WaitForTables(database, 1));
  running.Signal(SIGINT);
  running.Signal(SIGINT);
  const ProgramRun run = running.Wait();
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(run.err.find("Ctrl-C"), std::string::npos) << run.err;
  EXPECT_EQ(TableCount(database), kBulkTables);
}

// A second Ctrl-C ends the program at once: it says what it leaves partly copied, and the
// report holds the tables finished so far.
TEST_F(CliRunTest, ASecondCtrlCEndsAtOnceAndSaysWhatIsLeft) {
  const std::string database = probe_->ScratchDatabase("cli_ctrlc2");
  const fs::path reportFile = oraclePath_ / "ctrlc2.json";
  auto args = ConnectionArgs(database, "CLI_BULK", "bulk");
  args.insert(args.end(), {"--all-tables", "--jobs", "2", "--report", reportFile.string()});
  const auto running = StartCli(args);
  ASSERT_TRUE(WaitForTables(database, 2));
  running->Signal(SIGINT);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  running->Signal(SIGINT);
  const ProgramRun run = running->Wait();
  EXPECT_EQ(run.status, 130) << run.out << run.err;
  EXPECT_NE(run.err.find("skerrow-cli: The run was ended at once by a second Ctrl-C; left "
                         "partly copied (their rows so far are in the database): BULK_"),
            std::string::npos)
      << run.err;

  const auto json = nlohmann::json::parse(ReadWholeFile(reportFile));
  EXPECT_EQ(json["database"], database);
  EXPECT_EQ(json["stopped"], true);
  EXPECT_EQ(json["succeeded"], false);
  EXPECT_NE(json["runError"].get<std::string>().find("ended at once by a second Ctrl-C"),
            std::string::npos);
  for (const auto& table : json["tables"]) EXPECT_EQ(table["rowsWritten"], kBulkRows);
}

}  // namespace
}  // namespace skerrow::test
