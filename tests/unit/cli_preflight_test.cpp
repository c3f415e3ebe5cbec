#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "cli/preflight.h"

namespace skerrow::cli {
namespace {

namespace fs = std::filesystem;

class ReportFileProblemTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "skerrow-preflight-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    std::ofstream(root_ / "existing.json") << "kept";
    std::ofstream(root_ / "plain-file") << "x";
    fs::create_directory(root_ / "folder");
  }
  void TearDown() override { fs::remove_all(root_); }

  fs::path root_;
};

TEST_F(ReportFileProblemTest, TellsWhyAReportCannotBeWrittenAndLeavesNothingBehind) {
  struct Case {
    std::string path;  // under the test's folder
    std::optional<std::string> problem;
  };
  const Case cases[] = {
      {"existing.json", std::nullopt},
      {"new.json", std::nullopt},
      {"folder/new.json", std::nullopt},
      {"missing/new.json", "the folder " + (root_ / "missing").string() + " does not exist"},
      {"missing/deeper/new.json",
       "the folder " + (root_ / "missing/deeper").string() + " does not exist"},
      {"folder", "it is a folder"},
      {"plain-file/new.json", "a part of the path that should be a folder is a file"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReportFileProblem((root_ / c.path).string()), c.problem) << c.path;
  }
  // The existing report keeps its contents; no file was left where none was.
  std::ifstream kept(root_ / "existing.json");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "kept");
  EXPECT_FALSE(fs::exists(root_ / "new.json"));
  EXPECT_FALSE(fs::exists(root_ / "folder/new.json"));
}

TEST(PreflightTest, FindsWhatCanBeFoundBeforeConnecting) {
  const std::string tooLong(10000, 'x');
  struct Case {
    const char* what;
    std::string service;
    std::optional<std::string> database;
    bool listTables;
    std::optional<std::string> report;
    std::string problemStart;  // empty: no problem
  };
  const Case cases[] = {
      {"all well", "DEMO", std::nullopt, false, std::nullopt, ""},
      {"a database name given", "db.example.com/ORCL", "orcl", false, std::nullopt, ""},
      {"a service that is no database name", "db.example.com/ORCL", std::nullopt, false,
       std::nullopt, "The Database name you provided contains unsupported Characters."},
      {"a database name refused", "DEMO", "my.db", false, std::nullopt,
       "The Database name you provided contains unsupported Characters."},
      {"a long database name, shown cut", "DEMO", tooLong, false, std::nullopt,
       "MySQL Destination Database Name [" + std::string(64, 'x') + "...] is too long.Maximum "},
      {"only listing the tables needs no destination", "db.example.com/ORCL", std::nullopt, true,
       std::nullopt, ""},
      {"no service yet: the connection step asks", "", std::nullopt, false, std::nullopt, ""},
      {"a report into a missing folder", "DEMO", std::nullopt, false, "/nonexistent-skerrow/r.json",
       "The report cannot be written to /nonexistent-skerrow/r.json: the folder "
       "/nonexistent-skerrow does not exist. Nothing was converted."},
  };
  for (const auto& c : cases) {
    CliOptions options;
    options.oracleService = c.service;
    options.database = c.database;
    options.listTables = c.listTables;
    options.allTables = !c.listTables;
    options.reportFile = c.report;
    const auto problem = PreflightProblem(options);
    if (c.problemStart.empty()) {
      EXPECT_EQ(problem, std::nullopt) << c.what;
    } else {
      ASSERT_TRUE(problem.has_value()) << c.what;
      EXPECT_EQ(problem->rfind(c.problemStart, 0), 0u) << c.what << ": " << *problem;
    }
  }
}

}  // namespace
}  // namespace skerrow::cli
