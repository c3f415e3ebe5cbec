#include <gtest/gtest.h>
#include <mysql.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "workflow_session.h"

namespace skerrow {
namespace {

using test::WorkflowSession;

const std::string kSuccess = "ShowMessage(Skerrow Database Conversion completed successfully.\n";
const std::string kWithErrors = "Skerrow Database Conversion completed with errors.";
const std::string kStopped = "ShowMessage(Skerrow Database Conversion stopped.\n";

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.rfind(prefix, 0) == 0;
}

// The completion steps, in order, from the end of the run display on; the message is given
// by its first line.
void ExpectCompletionSteps(const WorkflowSession& session, bool stopped,
                           const std::string& messageStart) {
  const std::vector<std::string> steps = session.ActionsFrom("EndRunDisplay(");
  ASSERT_EQ(steps.size(), 5u);
  EXPECT_EQ(steps[0], std::string("EndRunDisplay(") + (stopped ? "true" : "false") + ")");
  EXPECT_EQ(steps[1], "UnlockSelection()");
  EXPECT_EQ(steps[2], "ClearTableChecks()");
  EXPECT_TRUE(StartsWith(steps[3], messageStart)) << steps[3];
  EXPECT_EQ(steps[4], "ResetProgressBars()");
  EXPECT_TRUE(session.State().Report.completed);
}

void ExpectIdlePage(WorkflowSession& session) {
  auto& window = session.Window();
  for (int i = 0; i < static_cast<int>(window.TableItems().size()); ++i)
    EXPECT_FALSE(window.TableChecked(i)) << i;
  EXPECT_TRUE(window.IsShown(kConvertButton));
  EXPECT_TRUE(window.IsShown(kBackButton));
  EXPECT_FALSE(window.IsShown(kStopButton));
  EXPECT_TRUE(window.IsEnabled(kTableList));
  EXPECT_EQ(window.TablesPosition(), 0);
  EXPECT_EQ(window.ActivityPosition(), 0);
  EXPECT_EQ(window.Title(), "Veltrano Database Converter - Skerrow");
  EXPECT_FALSE(session.State().StopRequested);
  EXPECT_FALSE(session.State().RunInProgress);
}

class ConversionRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(session_.Ready()) << session_.NotReadyReason();
    ASSERT_TRUE(session_.Next("scott", "tiger"));
    items_ = session_.Window().TableItems();
    ASSERT_EQ(items_.size(), 4u);
    database_ = session_.ScratchDatabase("run");
  }

  void CheckFirstThree() {
    for (int i = 0; i < 3; ++i) session_.Window().SetTableChecked(i, true);
  }

  std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
  }

  WorkflowSession session_{"CLASSIC", {"classic.sql"}};
  std::vector<std::string> items_;
  std::string database_;
};

TEST_F(ConversionRunTest, StopDuringTheSecondOfThreeTablesFinishesItAndStartsNoOther) {
  CheckFirstThree();
  const std::string second = items_[1];
  session_.Window().SetCallHook([&](const std::string& call) {
    if (StartsWith(call, "OnTableRowsProgress(" + second + ",")) RequestStop(session_.State());
  });
  session_.Convert(database_);
  session_.Window().SetCallHook(nullptr);

  EXPECT_EQ(session_.Tables(database_), Sorted({items_[0], items_[1]}));
  const RunReport& report = session_.State().Report;
  EXPECT_TRUE(report.stopped);
  ASSERT_EQ(report.tables.size(), 2u);
  EXPECT_EQ(report.tables[1].sourceName, second);
  // The second table was completed, not cut off.
  EXPECT_EQ(session_.RowCount(database_, second), std::to_string(report.tables[1].rowsRead));
  EXPECT_EQ(report.tables[1].rowsWritten, report.tables[1].rowsRead);
  EXPECT_EQ(report.notStarted, (std::vector<std::string>{items_[2]}));
  EXPECT_FALSE(report.Succeeded());
  ExpectCompletionSteps(session_, true, kStopped);
  // Says it stopped, what arrived and what was never started; the details hold every table.
  const MessageRequest message = session_.Window().Messages().back();
  EXPECT_EQ(message.kind, MessageKind::Stopped);
  const std::int64_t rows = report.tables[0].rowsWritten + report.tables[1].rowsWritten;
  EXPECT_EQ(message.text, "Skerrow Database Conversion stopped.\n2 tables, " +
                              std::to_string(rows) + " rows converted into " + database_ +
                              ".\nConverted: " + items_[0] + ", " + items_[1] +
                              ".\nNot started: " + items_[2] + ".");
  for (const auto& name : {items_[0], items_[1], items_[2]})
    EXPECT_NE(message.details.find("\n" + name + " "), std::string::npos) << message.details;
  EXPECT_NE(message.details.find("(not started)"), std::string::npos) << message.details;
  ExpectIdlePage(session_);
}

// Stop pressed during the last checked table leaves nothing undone: the run completed.
TEST_F(ConversionRunTest, StopDuringTheLastTableIsACompletedRun) {
  session_.Check({items_[0], items_[1]});
  session_.Window().SetCallHook([&](const std::string& call) {
    if (StartsWith(call, "OnTableRowsProgress(" + items_[1] + ",")) RequestStop(session_.State());
  });
  session_.Convert(database_);
  session_.Window().SetCallHook(nullptr);
  EXPECT_FALSE(session_.State().Report.stopped);
  EXPECT_TRUE(session_.State().Report.Succeeded());
  ExpectCompletionSteps(session_, false, kSuccess);
  ExpectIdlePage(session_);
}

// A failure outside any one table (here the window's own operation) no longer ends the
// process: the run reports it and ends through its completion steps.
TEST_F(ConversionRunTest, AFailureOutsideATableEndsTheRunThroughItsCompletionSteps) {
  CheckFirstThree();
  bool thrown = false;
  session_.Window().SetCallHook([&](const std::string& call) {
    if (thrown || call != "ShowProgressPanel()") return;
    thrown = true;
    throw std::runtime_error("the panel could not be shown");
  });
  session_.Convert(database_);
  session_.Window().SetCallHook(nullptr);
  ASSERT_TRUE(thrown);

  const RunReport& report = session_.State().Report;
  EXPECT_EQ(report.runError,
            "The conversion ended early: the run failed (the panel could not be shown).");
  EXPECT_TRUE(report.tables.empty());
  EXPECT_EQ(report.notStarted, (std::vector<std::string>{items_[0], items_[1], items_[2]}));
  ExpectCompletionSteps(session_, false, "ShowMessage(" + kWithErrors);
  EXPECT_NE(session_.Window().Messages().back().text.find(report.runError), std::string::npos);
  ExpectIdlePage(session_);
}

// The checks are read once, when Convert is pressed: a check changed while the run prepares
// the database does not change what it converts.
TEST_F(ConversionRunTest, TheTablesCountedAreTheTablesConverted) {
  session_.Window().SetTableChecked(0, true);
  session_.Window().SetCallHook([&](const std::string& call) {
    if (call != "LockSelection()") return;
    session_.Window().SetTableChecked(0, false);
    session_.Window().SetTableChecked(3, true);
  });
  session_.Convert(database_);
  session_.Window().SetCallHook(nullptr);
  const RunReport& report = session_.State().Report;
  ASSERT_EQ(report.tables.size(), 1u);
  EXPECT_EQ(report.tables[0].sourceName, items_[0]);
  EXPECT_EQ(session_.Window().Text(kStatusLabel), "1 of 1 Table(s) are converted.");
}

// The connection dies while the first table's rows are copied: the run ends with that table,
// through its completion steps, and names the tables it could not start.
TEST_F(ConversionRunTest, ALostServerConnectionEndsTheRunAfterThatTable) {
  session_.Check({"DEPT", "EMP", "SALGRADE"});
  // One INSERT per row: the caption of the first row comes while the others are still to send.
  session_.State().OneStatementPerRow = true;
  const unsigned long connection = mysql_thread_id(session_.State().Target.Handle());
  test::MySqlProbe killer(session_.Sandbox());
  ASSERT_TRUE(killer.Connected()) << killer.Error();
  bool killed = false;
  // The first window call after DEPT was created belongs to its row copy.
  session_.Window().SetCallHook([&](const std::string&) {
    if (killed || killer.Scalar("SELECT COUNT(*) FROM information_schema.TABLES WHERE "
                                "TABLE_SCHEMA = '" +
                                database_ + "' AND TABLE_NAME = 'DEPT'") != "1")
      return;
    killed = true;
    EXPECT_TRUE(killer.Execute("KILL CONNECTION " + std::to_string(connection))) << killer.Error();
  });
  session_.Convert(database_);
  session_.Window().SetCallHook(nullptr);
  ASSERT_TRUE(killed);

  const RunReport& report = session_.State().Report;
  ASSERT_EQ(report.tables.size(), 1u);
  EXPECT_EQ(report.tables[0].sourceName, "DEPT");
  EXPECT_TRUE(report.tables[0].connectionLost);
  EXPECT_NE(report.runError.find("connection to the MySQL server was lost"), std::string::npos)
      << report.runError;
  for (const char* table : {"EMP", "SALGRADE"})
    EXPECT_NE(report.runError.find(table), std::string::npos) << report.runError;
  EXPECT_FALSE(report.Succeeded());
  EXPECT_EQ(report.notStarted, (std::vector<std::string>{"EMP", "SALGRADE"}));
  ExpectCompletionSteps(session_, false, "ShowMessage(" + kWithErrors);
  const auto messages = session_.Window().Messages();
  ASSERT_FALSE(messages.empty());
  EXPECT_NE(messages.back().text.find("EMP"), std::string::npos) << messages.back().text;
  ExpectIdlePage(session_);
  // Nothing of the later tables reached the server.
  EXPECT_EQ(session_.Tables(database_), (std::vector<std::string>{"DEPT"}));
}

// A checked table that vanished from the source after the list was read: its catalog query
// fails, that table is reported, and the run goes on.
TEST_F(ConversionRunTest, ATableTheSourceCannotDescribeEndsOnlyThatTable) {
  CheckFirstThree();
  session_.State().TableNames[1] = "VANISHED";
  session_.Convert(database_);

  const RunReport& report = session_.State().Report;
  ASSERT_EQ(report.tables.size(), 3u);
  EXPECT_EQ(report.tables[1].sourceName, "VANISHED");
  EXPECT_FALSE(report.tables[1].createdName.has_value());
  EXPECT_NE(report.tables[1].createError.find("lists no columns"), std::string::npos)
      << report.tables[1].createError;
  EXPECT_TRUE(report.tables[0].Succeeded());
  EXPECT_TRUE(report.tables[2].Succeeded());
  EXPECT_EQ(session_.Tables(database_), Sorted({items_[0], items_[2]}));
  ExpectCompletionSteps(session_, false, "ShowMessage(" + kWithErrors);
  const std::string message = session_.Window().Messages().back().text;
  EXPECT_NE(message.find("VANISHED: " + report.tables[1].createError), std::string::npos)
      << message;
  ExpectIdlePage(session_);
}

// Unchecked entries are passed over; the checked ones go in list order.
TEST_F(ConversionRunTest, OnlyCheckedTablesAreConvertedInListOrder) {
  session_.Window().SetTableChecked(0, true);
  session_.Window().SetTableChecked(3, true);
  session_.Convert(database_);
  const RunReport& report = session_.State().Report;
  ASSERT_EQ(report.tables.size(), 2u);
  EXPECT_EQ(report.tables[0].sourceName, items_[0]);
  EXPECT_EQ(report.tables[1].sourceName, items_[3]);
  EXPECT_EQ(session_.Window().TablesRange(), 2);
  EXPECT_EQ(session_.Window().Text(kStatusLabel), "2 of 2 Table(s) are converted.");
  EXPECT_EQ(session_.Tables(database_), Sorted({items_[0], items_[3]}));
  ExpectCompletionSteps(session_, false, kSuccess);
  ExpectIdlePage(session_);
}

}  // namespace
}  // namespace skerrow
