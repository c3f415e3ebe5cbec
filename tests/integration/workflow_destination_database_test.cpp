#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "workflow/destination_database.h"
#include "workflow_session.h"

namespace skerrow {
namespace {

using test::MySqlProbe;
using test::ReadSessionCounters;
using test::RecordingWindow;
using test::RequireSandbox;
using test::SessionCounters;

// The question names the database it would drop.
std::string OverwriteQuestion(const std::string& name) {
  return "ShowMessage(The database " + name +
         " already exists on the MySQL server. Are you sure you want to overwrite?|Message|None|"
         "YesNo)";
}

struct PrepareCase {
  const char* what;
  bool exists;
  std::vector<MessageAnswer> answers;
  PrepareOutcome outcome;
  // Statements the preparation sent, by kind.
  long statements, probes, drops, creates;
  bool markerKept;  // the table that stood in the old database is still there
};

// The statements are counted on the converter's own server session, so nothing but what
// PrepareDestinationDatabase sent is seen.
TEST(DestinationDatabaseTest, ProbeCreateAndDropInTheirOrder) {
  auto sandbox = RequireSandbox();
  if (!sandbox) return;
  MySqlProbe probe(*sandbox);
  ASSERT_TRUE(probe.Connected()) << probe.Error();

  const PrepareCase cases[] = {
      {"new database", false, {}, PrepareOutcome::Done, 2, 1, 0, 1, false},
      {"existing, declined", true, {MessageAnswer::No}, PrepareOutcome::Declined, 1, 1, 0, 0, true},
      {"existing, overwritten",
       true,
       {MessageAnswer::Yes},
       PrepareOutcome::Done,
       3,
       1,
       1,
       1,
       false},
  };
  for (const auto& c : cases) {
    const std::string name =
        probe.ScratchDatabase(std::string("prepare_") + std::to_string(&c - cases));
    if (c.exists) {
      ASSERT_TRUE(probe.Execute("CREATE DATABASE `" + name + "`")) << probe.Error();
      ASSERT_TRUE(probe.Execute("CREATE TABLE `" + name + "`.marker (v INT)")) << probe.Error();
    }
    TargetConnection target;
    target.Init();
    ASSERT_TRUE(target.Connect(sandbox->host, sandbox->user, sandbox->password))
        << target.LastErrorMessage();
    RecordingWindow window;
    for (MessageAnswer answer : c.answers) window.QueueAnswer(answer);

    const std::optional<SessionCounters> before = ReadSessionCounters(target.Handle());
    const PrepareResult result = PrepareDestinationDatabase(target, window, name);
    const std::optional<SessionCounters> after = ReadSessionCounters(target.Handle());
    ASSERT_TRUE(before && after) << c.what;

    EXPECT_EQ(result.outcome, c.outcome) << c.what << ": " << result.error;
    // The second SHOW counts itself.
    EXPECT_EQ(after->questions - before->questions - 1, c.statements) << c.what;
    EXPECT_EQ(after->changeDb - before->changeDb, c.probes) << c.what;
    EXPECT_EQ(after->dropDb - before->dropDb, c.drops) << c.what;
    EXPECT_EQ(after->createDb - before->createDb, c.creates) << c.what;
    EXPECT_EQ(window.Actions(), c.exists ? std::vector<std::string>{OverwriteQuestion(name)}
                                         : std::vector<std::string>{})
        << c.what;
    if (c.exists) {
      ASSERT_EQ(window.Messages().size(), 1u) << c.what;
      EXPECT_EQ(window.Messages()[0].kind, MessageKind::ReplaceQuestion) << c.what;
    }

    // Dropped before it was created again: the database exists and the marker is gone.
    EXPECT_EQ(probe.Scalar("SELECT COUNT(*) FROM information_schema.SCHEMATA WHERE "
                           "SCHEMA_NAME = '" +
                           name + "'"),
              "1")
        << c.what;
    EXPECT_EQ(probe.Scalar("SELECT COUNT(*) FROM information_schema.TABLES WHERE "
                           "TABLE_SCHEMA = '" +
                           name + "'"),
              c.markerKept ? "1" : "0")
        << c.what;
    if (!c.markerKept) {
      // Created to hold every character the source can hold.
      auto rows = probe.Query(
          "SELECT DEFAULT_CHARACTER_SET_NAME, DEFAULT_COLLATION_NAME FROM "
          "information_schema.SCHEMATA WHERE SCHEMA_NAME = '" +
          name + "'");
      ASSERT_TRUE(rows && rows->size() == 1) << probe.Error();
      EXPECT_EQ((*rows)[0][0], "utf8mb4") << c.what;
      EXPECT_EQ((*rows)[0][1], "utf8mb4_bin") << c.what;
    }
  }
}

// The longest names the check lets through are names the server takes: it counts characters,
// so 64 letters of two bytes each make a database of exactly that name. (Letters the server
// stores as five-byte file names, such as the euro sign, reach the file system's limit sooner:
// the server's refusal says so.)
TEST(DestinationDatabaseTest, SixtyFourTwoByteLettersAreCreated) {
  auto sandbox = RequireSandbox();
  if (!sandbox) return;
  MySqlProbe probe(*sandbox);
  ASSERT_TRUE(probe.Connected()) << probe.Error();
  TargetConnection target;
  target.Init();
  ASSERT_TRUE(target.Connect(sandbox->host, sandbox->user, sandbox->password))
      << target.LastErrorMessage();

  for (const std::string letter : {"\xc3\xa9", "\xc3\x9f"}) {
    std::string typed;
    for (int i = 0; i < 64; ++i) typed += letter;
    const DestinationNameCheck check = CheckDestinationName(typed);
    ASSERT_TRUE(check.name.has_value()) << check.refusal.text;
    ASSERT_TRUE(probe.Execute("DROP DATABASE IF EXISTS `" + typed + "`")) << probe.Error();

    RecordingWindow window;
    const PrepareResult result = PrepareDestinationDatabase(target, window, *check.name);
    EXPECT_EQ(result.outcome, PrepareOutcome::Done) << letter << ": " << result.error;
    EXPECT_EQ(probe.Scalar("SELECT SCHEMA_NAME FROM information_schema.SCHEMATA WHERE "
                           "SCHEMA_NAME = '" +
                           typed + "'"),
              typed);
    EXPECT_TRUE(probe.Execute("DROP DATABASE `" + typed + "`")) << probe.Error();
  }
}

// A run whose operator declines the overwrite sends nothing but the probe and leaves the page
// unlocked and unchecked, without the run panel or a completion message.
TEST(DestinationDatabaseTest, ADeclinedOverwriteEndsTheRunBeforeAnyTable) {
  test::WorkflowSession session("CLASSIC", {"classic.sql"});
  ASSERT_TRUE(session.Ready()) << session.NotReadyReason();
  ASSERT_TRUE(session.Next("scott", "tiger"));
  const std::string name = session.ScratchDatabase("declined");
  ASSERT_TRUE(session.Probe().Execute("CREATE DATABASE `" + name + "`"));
  ASSERT_TRUE(session.Probe().Execute("CREATE TABLE `" + name + "`.marker (v INT)"));
  ASSERT_TRUE(session.Probe().Execute("INSERT INTO `" + name + "`.marker VALUES (7)"));
  session.Check({"DEPT", "EMP"});
  session.Window().QueueAnswer(MessageAnswer::No);

  const auto before = ReadSessionCounters(session.State().Target.Handle());
  session.Convert(name);
  const auto after = ReadSessionCounters(session.State().Target.Handle());
  ASSERT_TRUE(before && after);
  EXPECT_EQ(after->questions - before->questions - 1, 1);
  EXPECT_EQ(after->changeDb - before->changeDb, 1);

  EXPECT_EQ(session.ActionsFrom("LockSelection("),
            (std::vector<std::string>{"LockSelection()", OverwriteQuestion(name),
                                      "UnlockSelection()", "ClearTableChecks()"}));
  EXPECT_EQ(session.Tables(name), (std::vector<std::string>{"marker"}));
  EXPECT_EQ(session.RowCount(name, "marker"), "1");
  EXPECT_FALSE(session.Window().TableChecked(0));
  EXPECT_TRUE(session.Window().IsShown(kConvertButton));
  EXPECT_FALSE(session.State().Report.completed);
}

}  // namespace
}  // namespace skerrow
