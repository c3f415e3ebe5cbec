#include "db/target_connection.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/mysql_sandbox.h"

namespace skerrow {
namespace {

using test::MySqlProbe;
using test::RequireSandbox;

std::vector<int> PortsUpTo(int last) {
  std::vector<int> ports;
  for (int port : TargetConnection::kPorts) {
    ports.push_back(port);
    if (port == last) break;
  }
  return ports;
}

TEST(TargetConnectionTest, ConnectTriesThePortsInTurnUntilTheServerAnswers) {
  auto sandbox = RequireSandbox();
  if (!sandbox) return;
  TargetConnection target;
  target.Init();
  ASSERT_TRUE(target.Connect(sandbox->host, sandbox->user, sandbox->password))
      << target.LastErrorMessage();
  EXPECT_EQ(target.ConnectedPort(), sandbox->port);
  // The sandbox never takes 3306, so at least that port was tried and refused first.
  EXPECT_EQ(target.AttemptedPorts(), PortsUpTo(sandbox->port));
  EXPECT_GT(target.AttemptedPorts().size(), 1u);
}

TEST(TargetConnectionTest, LocalhostIsReachedOverTcp) {
  auto sandbox = RequireSandbox();
  if (!sandbox) return;
  TargetConnection target;
  target.Init();
  ASSERT_TRUE(target.Connect("localhost", sandbox->user, sandbox->password))
      << target.LastErrorMessage();
  EXPECT_EQ(target.ConnectedPort(), sandbox->port);
}

TEST(TargetConnectionTest, FailuresTryAllFourPorts) {
  auto sandbox = RequireSandbox();
  if (!sandbox) return;
  struct Case {
    const char* what;
    std::string host, user, password;
    // The error kept: where a server answered, its answer, not that of a port after it
    // where nothing listens.
    unsigned error;
  };
  const Case cases[] = {
      {"nothing listening", "127.0.0.2", sandbox->user, sandbox->password, 0},
      {"wrong password", sandbox->host, sandbox->otherUser, "not-the-password", 1045},
      {"unknown login", sandbox->host, "nobody_here", "x", 1045},
  };
  for (const auto& c : cases) {
    TargetConnection target;
    target.Init();
    EXPECT_FALSE(target.Connect(c.host, c.user, c.password)) << c.what;
    EXPECT_EQ(target.AttemptedPorts(), (std::vector<int>{3306, 3307, 3308, 3309})) << c.what;
    EXPECT_FALSE(target.IsConnected()) << c.what;
    EXPECT_NE(target.LastErrorNumber(), 0u) << c.what;
    EXPECT_FALSE(target.LastErrorMessage().empty()) << c.what;
    if (c.error != 0) {
      EXPECT_EQ(target.LastErrorNumber(), c.error) << c.what;
      EXPECT_NE(target.LastErrorMessage().find("Access denied"), std::string::npos)
          << c.what << ": " << target.LastErrorMessage();
    }
  }
}

TEST(TargetConnectionTest, QueryReportsSuccessOrFailureAndKeepsTheServerMessage) {
  auto sandbox = RequireSandbox();
  if (!sandbox) return;
  MySqlProbe probe(*sandbox);
  ASSERT_TRUE(probe.Connected()) << probe.Error();
  const std::string existing = probe.ScratchDatabase("use_probe");
  ASSERT_TRUE(probe.Execute("CREATE DATABASE `" + existing + "`"));

  TargetConnection target;
  target.Init();
  ASSERT_TRUE(target.Connect(sandbox->host, sandbox->user, sandbox->password));
  EXPECT_FALSE(target.Query("use `skerrow_no_such_database`"));
  EXPECT_EQ(target.LastErrorNumber(), 1049u);  // ER_BAD_DB_ERROR
  EXPECT_NE(target.LastErrorMessage().find("skerrow_no_such_database"), std::string::npos);
  EXPECT_FALSE(target.LastErrorLostConnection());

  EXPECT_TRUE(target.Query("use `" + existing + "`"));
  EXPECT_EQ(target.LastErrorNumber(), 0u);
  EXPECT_TRUE(target.LastErrorMessage().empty());
  // A statement that returns rows leaves nothing pending for the next one.
  EXPECT_TRUE(target.Query("select 1"));
  EXPECT_TRUE(target.Query("select 2"));
}

TEST(TargetConnectionTest, FourByteUtf8ReachesTheServerIntact) {
  auto sandbox = RequireSandbox();
  if (!sandbox) return;
  MySqlProbe probe(*sandbox);
  ASSERT_TRUE(probe.Connected()) << probe.Error();
  const std::string db = probe.ScratchDatabase("utf8mb4");
  ASSERT_TRUE(probe.Execute("CREATE DATABASE `" + db + "` CHARACTER SET utf8mb4"));
  ASSERT_TRUE(probe.Execute("CREATE TABLE `" + db + "`.t (v LONGTEXT) CHARACTER SET utf8mb4"));

  const std::string text = "smile \xF0\x9F\x98\x80 caf\xC3\xA9 \xE2\x82\xAC";
  TargetConnection target;
  target.Init();
  ASSERT_TRUE(target.Connect(sandbox->host, sandbox->user, sandbox->password));
  ASSERT_TRUE(
      target.Query("insert into `" + db + "`.t values('" + target.EscapeString(text) + "')"))
      << target.LastErrorMessage();
  EXPECT_EQ(probe.Scalar("select v from `" + db + "`.t"), text);
  EXPECT_EQ(probe.Scalar("select hex(v) from `" + db + "`.t"),
            "736D696C6520F09F988020636166C3A920E282AC");
}

TEST(TargetConnectionTest, EscapedValuesCannotChangeTheStatement) {
  auto sandbox = RequireSandbox();
  if (!sandbox) return;
  MySqlProbe probe(*sandbox);
  ASSERT_TRUE(probe.Connected()) << probe.Error();
  const std::string db = probe.ScratchDatabase("escape");
  ASSERT_TRUE(probe.Execute("CREATE DATABASE `" + db + "` CHARACTER SET utf8mb4"));
  ASSERT_TRUE(probe.Execute("CREATE TABLE `" + db + "`.`we``ird` (v LONGBLOB)"));

  TargetConnection target;
  target.Init();
  ASSERT_TRUE(target.Connect(sandbox->host, sandbox->user, sandbox->password));
  // A NUL inside (written \0 before a letter: "\x00f" would be the single byte 0x0F).
  const std::string value = std::string("a'b\\c\"d`e") + '\0' + "f\n'); DROP TABLE x; --";
  ASSERT_EQ(value.size(), 32u);
  ASSERT_TRUE(target.Query("insert into " + QuoteMySqlIdentifier(db) + "." +
                           QuoteMySqlIdentifier("we`ird") + " values('" +
                           target.EscapeString(value) + "')"))
      << target.LastErrorMessage();
  EXPECT_EQ(probe.Scalar("select v from `" + db + "`.`we``ird`"), value);
}

TEST(TargetConnectionTest, CloseWithoutAConnectionDoesNothing) {
  TargetConnection never;
  never.Close();
  never.Close();
  TargetConnection initialised;
  initialised.Init();
  initialised.Close();
  EXPECT_FALSE(initialised.IsConnected());
  EXPECT_FALSE(initialised.Query("select 1"));
}

}  // namespace
}  // namespace skerrow
