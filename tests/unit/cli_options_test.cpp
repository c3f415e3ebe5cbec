#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
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
                                       "--one-statement-per-row",
                                       "--verify"});
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
  EXPECT_TRUE(options->verify);
  EXPECT_FALSE(options->verifyOnly);
  EXPECT_TRUE(Options(ParseCliOptions({"--all-tables", "--verify-only"}))->verifyOnly);
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
  EXPECT_FALSE(options->verify);
  EXPECT_FALSE(options->verifyOnly);
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
      {{"--all-tables", "--verify", "--verify-only"}, "either --verify or --verify-only"},
      // A check of an earlier conversion must not replace what it checks.
      {{"--all-tables", "--verify-only", "--overwrite"}, "--overwrite has no use"},
      {{"--all-tables", "--verify-only", "--one-statement-per-row"},
       "--one-statement-per-row has no use"},
      {{"--tables", "EMP", "DEPT"}, "Unexpected argument \"DEPT\""},
      // Nothing here is a file name that "--" would protect; it is refused, not skipped.
      {{"--all-tables", "--", "--quiet"}, "Unknown option --."},
      {{"--all-tables", "--jobs", "0"}, "--jobs takes a number of tables from 1 to 64"},
      {{"--all-tables", "--jobs", "-2"}, "not \"-2\""},
      {{"--all-tables", "--jobs", "65"}, "from 1 to 64"},
      {{"--all-tables", "--jobs", "3x"}, "not \"3x\""},
      {{"--all-tables", "--jobs", "2.5"}, "or auto"},
      {{"--all-tables", "--jobs", "AUTO"}, "or auto"},
      {{"--all-tables", "--jobs="}, "--jobs takes a number"},
      {{"--all-tables", "--jobs", "99999999999999999999"}, "--jobs takes a number"},
      {{"--all-tables", "--jobs"}, "--jobs needs a value"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    const auto result = ParseCliOptions(c.args);
    const auto* error = std::get_if<CliUsageError>(&result);
    ASSERT_NE(error, nullptr);
    EXPECT_NE(error->message.find(c.messagePart), std::string::npos) << error->message;
  }
}

TEST(CliOptions, JobsIsANumberOfTablesOrOnePerCore) {
  struct Case {
    Args args;
    int jobs;
  };
  const Case cases[] = {
      {{"--all-tables"}, 1},
      {{"--all-tables", "--jobs", "1"}, 1},
      {{"--all-tables", "--jobs=3"}, 3},
      {{"--all-tables", "--jobs", "64"}, 64},
      {{"--all-tables", "--jobs", "auto"}, std::min(CoreCount(), kMaxJobs)},
      {{"--all-tables", "--jobs", "2", "--jobs", "4"}, 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    const auto result = ParseCliOptions(c.args);
    const CliOptions* options = Options(result);
    ASSERT_NE(options, nullptr) << std::get<CliUsageError>(result).message;
    EXPECT_EQ(options->jobs, c.jobs);
  }
  EXPECT_GE(CoreCount(), 1);
}

TEST(CliOptions, ValuesAfterAnEqualsSignOrAsTheNextArgumentAlike) {
  struct Case {
    std::string option;
    std::function<std::optional<std::string>(const CliOptions&)> read;
  };
  const Case cases[] = {
      {"--oracle-service", [](const CliOptions& o) { return o.oracleService; }},
      {"--oracle-user", [](const CliOptions& o) { return o.oracleUser; }},
      {"--oracle-password", [](const CliOptions& o) { return o.oraclePassword; }},
      {"--mysql-server", [](const CliOptions& o) { return o.mysqlServer; }},
      {"--mysql-login", [](const CliOptions& o) { return o.mysqlLogin; }},
      {"--mysql-password", [](const CliOptions& o) { return o.mysqlPassword; }},
      {"--database", [](const CliOptions& o) { return o.database; }},
      {"--report", [](const CliOptions& o) { return o.reportFile; }},
  };
  // A value may hold "=", start with "-", or look like another option.
  for (const std::string value : {"v", "a=b", "-x", "--quiet"}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.option + " " + value);
      for (const Args& args :
           {Args{c.option + "=" + value, "--all-tables"}, Args{c.option, value, "--all-tables"}}) {
        const auto result = ParseCliOptions(args);
        const CliOptions* options = Options(result);
        ASSERT_NE(options, nullptr) << std::get<CliUsageError>(result).message;
        EXPECT_EQ(c.read(*options), value);
        EXPECT_FALSE(options->quiet);
      }
    }
  }
}

TEST(CliOptions, EmptyValueAfterAnEqualsSignDoesNotTakeTheNextArgument) {
  const auto result = ParseCliOptions({"--oracle-password=", "--all-tables", "--database=x"});
  const CliOptions* options = Options(result);
  ASSERT_NE(options, nullptr);
  EXPECT_EQ(options->oraclePassword, "");
  EXPECT_TRUE(options->allTables);
  EXPECT_EQ(options->database, "x");

  const auto report = ParseCliOptions({"--all-tables", "--report=", "--quiet"});
  const auto* error = std::get_if<CliUsageError>(&report);
  ASSERT_NE(error, nullptr);
  EXPECT_NE(error->message.find("--report needs a file name"), std::string::npos);
}

TEST(CliOptions, GivenTwiceTheLaterValueCounts) {
  const auto result = ParseCliOptions({"--all-tables", "--database", "first", "--database=second"});
  const CliOptions* options = Options(result);
  ASSERT_NE(options, nullptr);
  EXPECT_EQ(options->database, "second");
}

TEST(CliOptions, MisspeltOptionIsRefusedWithWhatItMostLikelyMeant) {
  struct Case {
    std::string typed;
    std::string message;
  };
  const Case cases[] = {
      {"--databse=sales", "Unknown option --databse. Did you mean --database?"},
      {"--all-table", "Unknown option --all-table. Did you mean --all-tables?"},
      {"--oracle-servce", "Unknown option --oracle-servce. Did you mean --oracle-service?"},
      {"--mysql-passwort", "Unknown option --mysql-passwort. Did you mean --mysql-password?"},
      {"--Quiet", "Unknown option --Quiet. Did you mean --quiet?"},
      {"--one-statement", "Unknown option --one-statement. Did you mean --one-statement-per-row?"},
      {"--verison", "Unknown option --verison. Did you mean --version?"},
      // Nothing close, or two names equally close: no guess.
      {"--frobnicate", "Unknown option --frobnicate."},
      {"--oracle", "Unknown option --oracle."},
      {"-x", "Unknown option -x."},
      {"--" + std::string(100000, 'a'), "Unknown option --aaaa"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed.substr(0, 40));
    const auto result = ParseCliOptions({"--all-tables", c.typed});
    const auto* error = std::get_if<CliUsageError>(&result);
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->message.rfind(c.message, 0), 0u) << error->message.substr(0, 200);
    if (c.message.find("Did you mean") == std::string::npos) {
      EXPECT_EQ(error->message.find("Did you mean"), std::string::npos) << error->message;
    }
  }
}

TEST(CliOptions, HelpShowsTheOptionsInGroupsWithTheirDefaults) {
  const std::string help = CliUsageText();
  const char* groups[] = {"Oracle source:", "MySQL destination:", "What to convert:", "Output:"};
  std::size_t previous = 0;
  for (const char* group : groups) {
    SCOPED_TRACE(group);
    const std::size_t at = help.find(group);
    ASSERT_NE(at, std::string::npos) << help;
    EXPECT_GT(at, previous);
    previous = at;
  }
  EXPECT_NE(help.find("--mysql-server HOST=localhost"), std::string::npos) << help;
  EXPECT_NE(help.find("--jobs N|auto=1"), std::string::npos) << help;
  EXPECT_NE(help.find("SKERROW_ORACLE_PASSWORD"), std::string::npos);
  EXPECT_NE(help.find("SKERROW_MYSQL_PASSWORD"), std::string::npos);
  // Every option is listed in the group it belongs to.
  EXPECT_LT(help.find("--oracle-password"), help.find("MySQL destination:"));
  EXPECT_GT(help.find("--database"), help.find("MySQL destination:"));
  EXPECT_GT(help.find("--overwrite"), help.find("What to convert:"));
  EXPECT_GT(help.find("--report"), help.find("Output:"));
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
