#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/cli_options.h"

namespace skerrow::cli {
namespace {

using Args = std::vector<std::string>;

const CliOptions* Options(const CliParseResult& result) {
  return std::get_if<CliOptions>(&result);
}

TEST(CliOptions, ReadsEveryOptionWithItsValue) {
  const auto result = ParseCliOptions({"--oracle-service",
                                       "DEMO",
                                       "--oracle-user=scott",
                                       "--oracle-password",
                                       "-tiger",
                                       "--mysql-server",
                                       "db.example",
                                       "--mysql-login",
                                       "root",
                                       "--mysql-password",
                                       "pw=1",
                                       "--database",
                                       "sales",
                                       "--tables",
                                       "EMP,DEPT,EMP",
                                       "--overwrite",
                                       "--report",
                                       "r.json",
                                       "--quiet",
                                       "--one-statement-per-row"});
  const CliOptions* options = Options(result);
  ASSERT_NE(options, nullptr);
  EXPECT_EQ(options->oracleService, "DEMO");
  EXPECT_EQ(options->oracleUser, "scott");
  // A value that starts with "-" is still the option's value: passwords may.
  EXPECT_EQ(options->oraclePassword, "-tiger");
  EXPECT_EQ(options->mysqlServer, "db.example");
  EXPECT_EQ(options->mysqlLogin, "root");
  EXPECT_EQ(options->mysqlPassword, "pw=1");
  EXPECT_EQ(options->database, "sales");
  EXPECT_EQ(options->tables, (std::vector<std::string>{"EMP", "DEPT"}));
  EXPECT_FALSE(options->allTables);
  EXPECT_TRUE(options->overwrite);
  EXPECT_EQ(options->reportFile, "r.json");
  EXPECT_TRUE(options->quiet);
  EXPECT_TRUE(options->oneStatementPerRow);
}

TEST(CliOptions, DefaultsLeaveTheWorkflowsChoices) {
  const auto result = ParseCliOptions({"--all-tables"});
  const CliOptions* options = Options(result);
  ASSERT_NE(options, nullptr);
  EXPECT_EQ(options->mysqlServer, "localhost");
  EXPECT_FALSE(options->database.has_value());
  EXPECT_FALSE(options->oraclePassword.has_value());
  EXPECT_FALSE(options->mysqlPassword.has_value());
  EXPECT_FALSE(options->overwrite);
  EXPECT_FALSE(options->oneStatementPerRow);
  EXPECT_FALSE(options->reportFile.has_value());
}

TEST(CliOptions, AcceptedSelections) {
  struct Case {
    Args args;
    bool allTables;
    bool listTables;
    std::vector<std::string> tables;
  };
  const Case cases[] = {
      {{"--all-tables"}, true, false, {}},
      {{"--list-tables"}, false, true, {}},
      {{"--tables", "EMP"}, false, false, {"EMP"}},
      {{"--tables=EMP", "--tables", "DEPT"}, false, false, {"EMP", "DEPT"}},
      {{"--list-tables", "--tables", "EMP"}, false, true, {"EMP"}},
      // A password given as an empty text is passed on: the connection step names it.
      {{"--all-tables", "--oracle-password", ""}, true, false, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    const auto result = ParseCliOptions(c.args);
    const CliOptions* options = Options(result);
    ASSERT_NE(options, nullptr);
    EXPECT_EQ(options->allTables, c.allTables);
    EXPECT_EQ(options->listTables, c.listTables);
    EXPECT_EQ(options->tables, c.tables);
  }
}

TEST(CliOptions, RefusedArgumentListsSayWhy) {
  struct Case {
    Args args;
    std::string messagePart;
  };
  const Case cases[] = {
      {{}, "--all-tables"},
      {{"--oracle-service", "DEMO"}, "Say which tables"},
      {{"--tables", "EMP", "--all-tables"}, "not both"},
      {{"--tables", "EMP,,DEPT"}, "empty table name"},
      {{"--tables", ""}, "empty table name"},
      {{"--all-tables", "--frobnicate"}, "Unknown option --frobnicate"},
      {{"--all-tables", "stray"}, "Unexpected argument \"stray\""},
      {{"--all-tables", "--database"}, "--database needs a value"},
      {{"--all-tables", "--overwrite=yes"}, "--overwrite takes no value"},
      {{"--all-tables", "--report", ""}, "--report needs a file name"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    const auto result = ParseCliOptions(c.args);
    const auto* error = std::get_if<CliUsageError>(&result);
    ASSERT_NE(error, nullptr);
    EXPECT_NE(error->message.find(c.messagePart), std::string::npos) << error->message;
  }
}

TEST(CliOptions, HelpAndVersionStopTheParsing) {
  const auto help = ParseCliOptions({"--bogus-later-is-fine", "--help"});
  // An unknown option before --help is reported first; --help first prints the usage.
  EXPECT_TRUE(std::holds_alternative<CliUsageError>(help));

  const auto usage = ParseCliOptions({"--help", "--bogus"});
  const auto* usageText = std::get_if<CliInfoRequest>(&usage);
  ASSERT_NE(usageText, nullptr);
  EXPECT_NE(usageText->text.find("--oracle-service"), std::string::npos);
  EXPECT_NE(usageText->text.find("Exit status"), std::string::npos);

  const auto version = ParseCliOptions({"--version"});
  const auto* versionText = std::get_if<CliInfoRequest>(&version);
  ASSERT_NE(versionText, nullptr);
  EXPECT_EQ(versionText->text, "skerrow-cli 4.0.1.6\n");
}

}  // namespace
}  // namespace skerrow::cli
