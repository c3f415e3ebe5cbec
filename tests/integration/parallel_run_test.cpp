// Several tables at once (--jobs): the same conversion as one table after another, whatever
// the tables meet on the way, against the real embedded Oracle and the MariaDB sandbox.
#include <gtest/gtest.h>
#include <mysql.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "support/bulk_tables.h"
#include "support/fixture_users.h"
#include "support/golden_files.h"
#include "support/mysql_dump.h"
#include "workflow_session.h"

namespace skerrow::test {
namespace {

constexpr int kJobs = 3;

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.rfind(prefix, 0) == 0;
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Every fixture converts with three tables at a time to exactly what one table at a time
// gives: the recorded MySQL contents and the recorded report, tables in the order given.
class ParallelFixtureTest : public ::testing::TestWithParam<FixtureUser> {};

TEST_P(ParallelFixtureTest, ConvertsToWhatOneTableAtATimeGives) {
  const FixtureUser& conversion = GetParam();
  const auto loadedAt = std::chrono::system_clock::now();
  WorkflowSession session("PARALLEL", {conversion.script});
  ASSERT_TRUE(session.Ready()) << session.NotReadyReason();
  ASSERT_TRUE(session.Next(conversion.user, conversion.password));
  session.Check();
  session.State().Jobs = kJobs;
  const std::string database = session.ScratchDatabase("parallel_" + conversion.user);
  session.Convert(database);
  session.State().Target.Close();

  const std::string actual =
      CanonicalDump(session.Probe(), database, loadedAt) + ShowReport(session.State().Report);
  EXPECT_EQ(actual, ReadWholeFile(GoldenFile(conversion)));
  EXPECT_TRUE(session.State().Report.completed);
  // Every table counted once on the status line.
  const std::size_t tables = session.Window().TableItems().size();
  EXPECT_EQ(session.Window().FinishedTables().size(), tables);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ParallelFixtureTest, ::testing::ValuesIn(EveryFixtureUser()),
                         [](const ::testing::TestParamInfo<FixtureUser>& param) {
                           return std::filesystem::path(param.param.script).stem().string() + "_" +
                                  param.param.user;
                         });

// Five tables of 60,000 rows: each takes several blocks of rows, so tables run side by side
// long enough for something to happen to them.
constexpr int kBigTables = 5;
constexpr int kBigRows = 60000;

// The table of a "Call(TABLE)" or "Call(TABLE,...)" entry of the window's log; empty for
// other calls.
std::string TableOf(const std::string& entry, const std::string& call) {
  const std::string prefix = call + "(";
  if (!StartsWith(entry, prefix)) return {};
  const std::size_t end = entry.find_first_of(",)", prefix.size());
  return entry.substr(prefix.size(), end - prefix.size());
}

class ParallelRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(session_.Ready()) << session_.NotReadyReason();
    ASSERT_TRUE(session_.Oracle().LoadText(
        BulkTablesScript("bulk", "bulk_pw", "BIG", kBigTables, kBigRows)))
        << session_.Oracle().Error();
    ASSERT_TRUE(session_.Next("bulk", "bulk_pw"));
    ASSERT_EQ(session_.Window().TableItems().size(), static_cast<std::size_t>(kBigTables));
    session_.Check();
    session_.State().Jobs = kJobs;
    database_ = session_.ScratchDatabase("jobs");
  }

  // The reported tables are a part of the list, in list order.
  void ExpectListOrder(const RunReport& report) {
    const std::vector<std::string> items = session_.Window().TableItems();
    std::size_t next = 0;
    for (const auto& table : report.tables) {
      const auto at = std::find(items.begin() + static_cast<std::ptrdiff_t>(next), items.end(),
                                table.sourceName);
      ASSERT_NE(at, items.end()) << table.sourceName << " out of list order";
      next = static_cast<std::size_t>(at - items.begin()) + 1;
    }
  }

  WorkflowSession session_{"JOBS", {}};
  std::string database_;
};

// Stop while three tables run: the three finish with every row, no further table starts.
TEST_F(ParallelRunTest, StopLetsTheRunningTablesFinishAndStartsNoOther) {
  std::mutex mutex;
  std::set<std::string> started;
  session_.Window().SetCallHook([&](const std::string& call) {
    const std::string table = TableOf(call, "OnTableStarted");
    if (table.empty()) return;
    const std::lock_guard<std::mutex> lock(mutex);
    started.insert(table);
    if (started.size() == static_cast<std::size_t>(kJobs)) RequestStop(session_.State());
  });
  session_.Convert(database_);
  session_.Window().SetCallHook(nullptr);

  const RunReport& report = session_.State().Report;
  EXPECT_TRUE(report.stopped);
  EXPECT_TRUE(report.runError.empty()) << report.runError;
  ExpectListOrder(report);
  std::vector<std::string> converted;
  for (const auto& table : report.tables) {
    SCOPED_TRACE(table.sourceName);
    EXPECT_TRUE(table.Succeeded());
    EXPECT_EQ(table.rowsWritten, kBigRows);
    EXPECT_EQ(session_.RowCount(database_, table.sourceName), std::to_string(kBigRows));
    converted.push_back(table.sourceName);
  }
  EXPECT_EQ(std::set<std::string>(converted.begin(), converted.end()), started);
  std::sort(converted.begin(), converted.end());
  EXPECT_EQ(session_.Tables(database_), converted);
  EXPECT_FALSE(session_.State().StopRequested);
  // The tables never started are named in the report and in the message that ends the run.
  EXPECT_FALSE(report.notStarted.empty());
  const std::string ending = session_.Window().Messages().back().text;
  EXPECT_TRUE(StartsWith(ending, "Skerrow Database Conversion stopped.\n")) << ending;
  EXPECT_TRUE(Contains(ending, "Not started: ")) << ending;
}

// The connection of one job dies while its table is copied and another table is being copied
// beside it: that table says so, the others end at their next block with their rows written,
// none starts after, and the run names the tables it did not convert.
TEST_F(ParallelRunTest, ALostConnectionEndsTheRunningTablesAndStartsNoOther) {
  ConversionState& state = session_.State();
  const unsigned long runConnection = mysql_thread_id(state.Target.Handle());
  MySqlProbe killer(session_.Sandbox());
  ASSERT_TRUE(killer.Connected()) << killer.Error();
  std::mutex mutex;
  std::set<std::string> started;
  std::set<std::string> finished;
  std::string lostTable;
  session_.Window().SetCallHook([&](const std::string& call) {
    const std::lock_guard<std::mutex> lock(mutex);
    if (const std::string table = TableOf(call, "OnTableStarted"); !table.empty())
      started.insert(table);
    if (const std::string table = TableOf(call, "OnTableFinished"); !table.empty())
      finished.insert(table);
    // The run's own connection belongs to the job on the run's thread.
    const std::string table = TableOf(call, "OnTableRowsProgress");
    if (table.empty() || call.ends_with(",0)") || !lostTable.empty() ||
        std::this_thread::get_id() != state.WorkerThread.get_id())
      return;
    if (started.size() - finished.size() < 2) return;  // no other table is being copied
    lostTable = table;
    EXPECT_TRUE(killer.Execute("KILL CONNECTION " + std::to_string(runConnection)))
        << killer.Error();
  });
  session_.Convert(database_);
  session_.Window().SetCallHook(nullptr);
  ASSERT_FALSE(lostTable.empty());

  const RunReport& report = state.Report;
  EXPECT_FALSE(report.Succeeded());
  EXPECT_FALSE(report.stopped);
  EXPECT_TRUE(StartsWith(report.runError, "The connection to the MySQL server was lost: "))
      << report.runError;
  ExpectListOrder(report);
  EXPECT_LE(report.tables.size(), static_cast<std::size_t>(kJobs)) << ShowReport(report);
  int endedByTheLoss = 0;
  std::set<std::string> reported;
  for (const auto& table : report.tables) {
    SCOPED_TRACE(table.sourceName);
    reported.insert(table.sourceName);
    const std::string rows = session_.RowCount(database_, table.sourceName);
    if (table.sourceName == lostTable) {
      EXPECT_TRUE(table.connectionLost);
      ASSERT_TRUE(table.abandoned.has_value());
      EXPECT_TRUE(Contains(*table.abandoned, "lost during table " + lostTable)) << *table.abandoned;
      EXPECT_GE(std::stoll(rows), table.rowsWritten);
      continue;
    }
    EXPECT_FALSE(table.connectionLost);
    if (!table.abandoned) {  // it had fetched its last rows before the loss
      EXPECT_TRUE(table.Succeeded());
      EXPECT_EQ(rows, std::to_string(kBigRows));
      continue;
    }
    EXPECT_EQ(*table.abandoned,
              "The run ended when the connection to MySQL was lost during table " + lostTable +
                  "; " + std::to_string(table.rowsWritten) + " of this table's rows were written.");
    EXPECT_EQ(rows, std::to_string(table.rowsWritten));
    EXPECT_EQ(table.rowsRead, table.rowsWritten);
    ++endedByTheLoss;
  }
  EXPECT_GE(endedByTheLoss, 1) << ShowReport(report);
  for (const auto& table : started) EXPECT_TRUE(reported.count(table)) << table;
  // The tables not started are named, in list order, and nothing of them reached the server.
  std::string notConverted;
  for (const auto& name : session_.Window().TableItems())
    if (!reported.count(name)) notConverted += (notConverted.empty() ? " " : ", ") + name;
  EXPECT_TRUE(report.runError.ends_with("; not converted:" + notConverted)) << report.runError;
  EXPECT_EQ(session_.Tables(database_).size(), report.tables.size());
  EXPECT_TRUE(StartsWith(session_.Window().Messages().back().text,
                         "Skerrow Database Conversion completed with errors."));
}

// The server gives the login fewer connections than jobs: the run converts every table with
// the jobs it has, and says why there are fewer.
TEST_F(ParallelRunTest, AConnectionTheServerRefusesLeavesFewerJobs) {
  const MySqlSandbox& sandbox = session_.Sandbox();
  MySqlProbe& probe = session_.Probe();
  auto limit = [&](int connections) {
    for (const char* host : {"127.0.0.1", "localhost"})
      EXPECT_TRUE(probe.Execute("ALTER USER '" + sandbox.otherUser + "'@'" + host +
                                "' WITH MAX_USER_CONNECTIONS " + std::to_string(connections)))
          << probe.Error();
  };
  limit(2);
  session_.FillConnectionFields("bulk", "bulk_pw");
  session_.Window().SetField(kMySqlLoginEdit, sandbox.otherUser);
  session_.Window().SetField(kMySqlPasswordEdit, sandbox.otherPassword);
  ConnectAndListTables(session_.State(), session_.Window());
  session_.Check();
  session_.Convert(database_);
  limit(0);

  const RunReport& report = session_.State().Report;
  EXPECT_TRUE(report.Succeeded()) << report.runError;
  ASSERT_EQ(report.tables.size(), static_cast<std::size_t>(kBigTables));
  for (const auto& table : report.tables) {
    SCOPED_TRACE(table.sourceName);
    EXPECT_EQ(session_.RowCount(database_, table.sourceName), std::to_string(kBigRows));
  }
  const auto messages = session_.Window().Messages();
  const auto fewer = std::find_if(messages.begin(), messages.end(), [](const auto& m) {
    return StartsWith(m.text,
                      "Fewer tables are converted at the same time: a further "
                      "connection to MySQL could not be opened: ");
  });
  ASSERT_NE(fewer, messages.end());
  EXPECT_TRUE(Contains(fewer->text, "max_user_connections")) << fewer->text;
  EXPECT_TRUE(StartsWith(messages.back().text,
                         "Skerrow Database Conversion completed successfully.\n"))
      << messages.back().text;
}

// Someone else holds ITEMS in the destination; the source has ITEMS and ITEMS0001 of its own.
// The names are settled one table at a time in the order the tables start, so three at a
// time give exactly the names one at a time gives.
TEST(ParallelRenameTest, RenamedTablesGetTheNamesOneAtATimeGives) {
  const char* script =
      "CREATE USER ren IDENTIFIED BY ren_pw;\n"
      "CONNECT ren/ren_pw\n"
      "CREATE TABLE items (id NUMBER(5) PRIMARY KEY, title VARCHAR2(20));\n"
      "INSERT INTO items VALUES (1, 'one');\n"
      "INSERT INTO items VALUES (2, 'two');\n"
      "CREATE TABLE items0001 (code VARCHAR2(5));\n"
      "INSERT INTO items0001 VALUES ('x');\n"
      "CREATE TABLE other (n NUMBER(3));\n"
      "INSERT INTO other VALUES (7);\n"
      "COMMIT;\n";
  struct Outcome {
    std::string report;
    std::string contents;
  };
  auto convert = [&](int jobs) {
    WorkflowSession session("RENAME", {});
    EXPECT_TRUE(session.Ready()) << session.NotReadyReason();
    EXPECT_TRUE(session.Oracle().LoadText(script)) << session.Oracle().Error();
    EXPECT_TRUE(session.Next("ren", "ren_pw"));
    session.Check();
    session.State().Jobs = jobs;
    const std::string database = session.ScratchDatabase("rename" + std::to_string(jobs));
    MySqlProbe& probe = session.Probe();
    session.Window().SetCallHook([&](const std::string& call) {
      if (call != "ShowProgressPanel()") return;
      EXPECT_TRUE(probe.Execute("CREATE TABLE `" + database + "`.ITEMS (v INT)")) << probe.Error();
    });
    session.Convert(database);
    session.Window().SetCallHook(nullptr);
    const RunReport& report = session.State().Report;
    for (const auto& table : report.tables) EXPECT_TRUE(table.Succeeded()) << table.sourceName;
    return Outcome{ShowReport(report),
                   CanonicalDump(probe, database, std::chrono::system_clock::now())};
  };
  const Outcome alone = convert(1);
  const Outcome together = convert(kJobs);
  EXPECT_TRUE(Contains(alone.report, "table ITEMS created=ITEMS0001")) << alone.report;
  EXPECT_TRUE(Contains(alone.report, "table ITEMS0001 created=ITEMS00010001")) << alone.report;
  EXPECT_EQ(together.report, alone.report);
  EXPECT_EQ(together.contents, alone.contents);
}

}  // namespace
}  // namespace skerrow::test
