// What the window's thread learns of a run in progress, and where the report of a run the
// program was ended during is left.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "workflow/run_journal.h"
#include "workflow/run_report_file.h"

namespace skerrow {
namespace {

using Clock = std::chrono::system_clock;

TableReport Finished(const std::string& name, std::int64_t rows) {
  TableReport table;
  table.sourceName = table.createdName.emplace(name);
  table.rowsRead = table.rowsWritten = rows;
  return table;
}

class RunJournalTest : public ::testing::Test {
 protected:
  void SetUp() override { journal_.Begin("DEMO", start_, {"DEPT", "EMP", "SALGRADE"}); }

  RunJournal journal_;
  const Clock::time_point start_ = Clock::time_point(std::chrono::seconds(1000));
  const Clock::time_point end_ = start_ + std::chrono::seconds(5);
};

TEST_F(RunJournalTest, TheTableInProgressIsReportedIncompleteAndTheRestNotStarted) {
  journal_.TableStarted("DEPT");
  journal_.TableFinished(Finished("DEPT", 4));
  journal_.TableStarted("EMP");
  EXPECT_EQ(journal_.TableInProgress(), "EMP");
  journal_.TableRows("EMP0001", 7);

  const std::optional<RunReport> report = journal_.InterruptedReport(end_, "the program was ended");
  ASSERT_TRUE(report);
  EXPECT_EQ(report->destinationDatabase, "DEMO");
  EXPECT_EQ(report->start, start_);
  EXPECT_EQ(report->end, end_);
  EXPECT_FALSE(report->completed);
  EXPECT_FALSE(report->Succeeded());
  ASSERT_EQ(report->tables.size(), 2u);
  EXPECT_TRUE(report->tables[0].Succeeded());
  const TableReport& emp = report->tables[1];
  EXPECT_EQ(emp.sourceName, "EMP");
  EXPECT_EQ(emp.createdName, std::optional<std::string>("EMP0001"));
  EXPECT_EQ(emp.rowsWritten, 7);
  ASSERT_TRUE(emp.abandoned);
  EXPECT_EQ(*emp.abandoned,
            "the program was ended while this table was copied, after 7 rows had been sent to "
            "MySQL; the table holds only part of its rows");
  EXPECT_FALSE(emp.Succeeded());
  EXPECT_EQ(report->notStarted, (std::vector<std::string>{"SALGRADE"}));
  EXPECT_EQ(report->runError,
            "The conversion ended early: the program was ended; table EMP is incomplete.");
}

TEST_F(RunJournalTest, WhatIsKnownAtEachPointOfTheRun) {
  struct Case {
    const char* name;
    std::function<void(RunJournal&)> steps;
    std::string inProgress;
    std::string runError;
    std::size_t tables;
    std::vector<std::string> notStarted;
  };
  const Case cases[] = {
      {"preparing the database",
       [](RunJournal&) {},
       "",
       "The conversion ended early: the program was ended.",
       0,
       {"DEPT", "EMP", "SALGRADE"}},
      {"creating the first table",
       [](RunJournal& j) { j.TableStarted("DEPT"); },
       "DEPT",
       "The conversion ended early: the program was ended; table DEPT is incomplete.",
       1,
       {"EMP", "SALGRADE"}},
      {"between two tables",
       [](RunJournal& j) {
         j.TableStarted("DEPT");
         j.TableFinished(Finished("DEPT", 4));
       },
       "",
       "The conversion ended early: the program was ended.",
       1,
       {"EMP", "SALGRADE"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunJournal journal;
    journal.Begin("DEMO", start_, {"DEPT", "EMP", "SALGRADE"});
    c.steps(journal);
    EXPECT_EQ(journal.TableInProgress(), c.inProgress);
    const auto report = journal.InterruptedReport(end_, "the program was ended");
    ASSERT_TRUE(report);
    EXPECT_EQ(report->runError, c.runError);
    EXPECT_EQ(report->tables.size(), c.tables);
    EXPECT_EQ(report->notStarted, c.notStarted);
  }
  RunJournal creating;
  creating.Begin("DEMO", start_, {"DEPT"});
  creating.TableStarted("DEPT");
  EXPECT_EQ(creating.InterruptedReport(end_, "the program was ended")->tables[0].abandoned,
            std::optional<std::string>("the program was ended while this table was created, "
                                       "before any of its rows were copied"));
}

TEST_F(RunJournalTest, ACompletedRunKeepsItsOwnReportAndNoRunHasNone) {
  RunReport own;
  own.destinationDatabase = "DEMO";
  own.tables = {Finished("DEPT", 4)};
  own.completed = true;
  journal_.Completed(own);
  const auto report = journal_.InterruptedReport(end_, "the program was ended");
  ASSERT_TRUE(report);
  EXPECT_TRUE(report->Succeeded());
  EXPECT_TRUE(report->completed);
  EXPECT_EQ(journal_.TableInProgress(), "");

  journal_.Clear();
  EXPECT_FALSE(journal_.InterruptedReport(end_, "the program was ended"));
}

// Sets an environment variable for one scope, or unsets it for a null value.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  ~ScopedVariable() {
    if (old_)
      setenv(name_, old_->c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(LastRunReport, LiesInTheStateDirectoryOfTheBaseDirectoryRules) {
  struct Case {
    const char* stateHome;
    const char* home;
    std::string path;
  };
  const Case cases[] = {
      {"/var/state/me", "/home/me", "/var/state/me/skerrow/last-run.json"},
      {nullptr, "/home/me", "/home/me/.local/state/skerrow/last-run.json"},
      {"", "/home/me", "/home/me/.local/state/skerrow/last-run.json"},
      // A relative XDG_STATE_HOME is not valid and is ignored.
      {"state", "/home/me", "/home/me/.local/state/skerrow/last-run.json"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stateHome ? c.stateHome : "(unset)");
    ScopedVariable state("XDG_STATE_HOME", c.stateHome);
    ScopedVariable home("HOME", c.home);
    EXPECT_EQ(LastRunReportPath(), std::filesystem::path(c.path));
  }
}

TEST(LastRunReport, IsWrittenAsJsonWithItsFolderAndAFailureSaysWhy) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("skerrow-last-run-" + std::to_string(getpid()));
  std::filesystem::remove_all(folder);
  const std::filesystem::path path = folder / "a" / "skerrow" / "last-run.json";
  RunReport report;
  report.destinationDatabase = "DEMO";
  report.notStarted = {"EMP"};
  EXPECT_EQ(WriteLastRunReport(report, path), std::nullopt);
  std::ifstream file(path);
  const nlohmann::json json = nlohmann::json::parse(file);
  EXPECT_EQ(json["database"], "DEMO");
  EXPECT_EQ(json["notStarted"][0], "EMP");
  std::filesystem::remove_all(folder);

  // A folder that cannot be made (a file stands where it would go).
  const auto failure = WriteLastRunReport(report, "/dev/null/skerrow/last-run.json");
  ASSERT_TRUE(failure);
  EXPECT_NE(failure->find("/dev/null/skerrow"), std::string::npos) << *failure;
  EXPECT_TRUE(WriteLastRunReport(report, {}).has_value());
}

}  // namespace
}  // namespace skerrow
