#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "oci_double_support.h"
#include "workflow_session.h"

namespace skerrow {
namespace {

using test::WorkflowSession;

const std::string kMySqlFailure =
    "ShowMessage(There is an error to connect with MySQL. Please check your input parameters or "
    "server configuration.|Message|None|Ok)";

std::string Asked(const std::string& text) {
  return "ShowMessage(" + text + "|Message|Information|Ok)";
}

// SCOTT owns the classic tables; NOBODY owns none.
class ConnectionStepTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(session_.Ready()) << session_.NotReadyReason();
    ASSERT_TRUE(session_.Oracle().LoadText("CREATE USER nobody IDENTIFIED BY nobody_pw;\n"));
  }

  void Next() { ConnectAndListTables(session_.State(), session_.Window()); }

  WorkflowSession session_{"CLASSIC", {"classic.sql"}};
};

TEST_F(ConnectionStepTest, AllSixFieldsEmptyAsksForTheServiceNameOnly) {
  auto& window = session_.Window();
  for (int id : {kServiceNameEdit, kOracleUserEdit, kOraclePasswordEdit, kMySqlServerEdit,
                 kMySqlLoginEdit, kMySqlPasswordEdit})
    window.SetField(id, "");
  Next();
  EXPECT_EQ(window.Actions(),
            (std::vector<std::string>{"SetNavigationEnabled(false)",
                                      Asked("Please enter Oracle Service Name."),
                                      "FocusControl(1000)", "EnableControl(1003,true)"}));
  EXPECT_FALSE(session_.State().Source.IsOpen());
  EXPECT_FALSE(session_.State().Target.IsConnected());
  EXPECT_EQ(window.Page(), 1);
  EXPECT_FALSE(window.IsEnabled(kConvertButton));
}

// The Oracle fields are checked one after the other, before anything is opened.
TEST_F(ConnectionStepTest, EachMissingOracleFieldIsAskedForInTurn) {
  struct Case {
    std::string service, user, password, message;
    int focus;
  };
  const Case cases[] = {
      {"", "scott", "tiger", "Please enter Oracle Service Name.", kServiceNameEdit},
      {"CLASSIC", "", "tiger", "Please enter Oracle User Name.", kOracleUserEdit},
      {"CLASSIC", "scott", "", "Please enter Oracle Password.", kOraclePasswordEdit},
  };
  for (const auto& c : cases) {
    test::RecordingWindow window;
    ConversionState state;
    window.SetField(kServiceNameEdit, c.service);
    window.SetField(kOracleUserEdit, c.user);
    window.SetField(kOraclePasswordEdit, c.password);
    ConnectAndListTables(state, window);
    EXPECT_EQ(window.Actions(),
              (std::vector<std::string>{"SetNavigationEnabled(false)", Asked(c.message),
                                        "FocusControl(" + std::to_string(c.focus) + ")",
                                        "EnableControl(1003,true)"}))
        << c.message;
    EXPECT_FALSE(state.Source.IsOpen()) << c.message;
  }
}

// The MySQL fields are tested only once the Oracle logon has succeeded, and the source stays
// open.
TEST_F(ConnectionStepTest, MissingMySqlFieldsAreAskedForAfterTheSourceIsOpen) {
  struct Case {
    int emptied;
    std::string message;
  };
  const Case cases[] = {
      {kMySqlServerEdit, "Please enter MySQL Server name."},
      {kMySqlLoginEdit, "Please enter MySQL Login Name."},
      {kMySqlPasswordEdit, "Please enter MySQL Password."},
  };
  for (const auto& c : cases) {
    test::RecordingWindow window;
    ConversionState state;
    session_.FillConnectionFields("scott", "tiger");
    for (int id : {kServiceNameEdit, kOracleUserEdit, kOraclePasswordEdit, kMySqlServerEdit,
                   kMySqlLoginEdit, kMySqlPasswordEdit})
      window.SetField(id, session_.Window().Text(id));
    window.SetField(c.emptied, "");
    ConnectAndListTables(state, window);
    EXPECT_EQ(window.Actions(),
              (std::vector<std::string>{"SetNavigationEnabled(false)", Asked(c.message),
                                        "FocusControl(" + std::to_string(c.emptied) + ")",
                                        "EnableControl(1003,true)"}))
        << c.message;
    EXPECT_TRUE(state.Source.IsOpen()) << c.message;
    EXPECT_FALSE(state.Target.IsConnected()) << c.message;
    EXPECT_EQ(window.Page(), 1);
  }
}

// With a bad Oracle password and an empty MySQL server, the Oracle failure is the one shown:
// the source is opened before the MySQL fields are looked at.
TEST_F(ConnectionStepTest, TheSourceIsOpenedBeforeTheMySqlFieldsAreTested) {
  session_.FillConnectionFields("scott", "wrong");
  session_.Window().SetField(kMySqlServerEdit, "");
  Next();
  const auto messages = session_.Window().Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text,
            "There is an error to connect with ORACLE. Please check your input parameters User "
            "Name/Password.");
}

TEST_F(ConnectionStepTest, NoReachableMySqlEmptiesLoginAndPasswordAndFocusesTheLogin) {
  struct Case {
    const char* what;
    std::string server, login, password;
  };
  const auto& sandbox = session_.Sandbox();
  const Case cases[] = {
      {"nothing listening", "127.0.0.2", sandbox.user, sandbox.password},
      {"login refused", sandbox.host, sandbox.user, "not-the-password"},
  };
  for (const auto& c : cases) {
    test::RecordingWindow window;
    ConversionState state;
    window.SetField(kServiceNameEdit, "CLASSIC");
    window.SetField(kOracleUserEdit, "scott");
    window.SetField(kOraclePasswordEdit, "tiger");
    window.SetField(kMySqlServerEdit, c.server);
    window.SetField(kMySqlLoginEdit, c.login);
    window.SetField(kMySqlPasswordEdit, c.password);
    ConnectAndListTables(state, window);
    EXPECT_EQ(window.Actions(),
              (std::vector<std::string>{"SetNavigationEnabled(false)", kMySqlFailure,
                                        "SetControlText(1011,)", "SetControlText(1012,)",
                                        "FocusControl(1011)", "EnableControl(1003,true)"}))
        << c.what;
    EXPECT_EQ(window.Text(kMySqlServerEdit), c.server) << c.what;
    EXPECT_EQ(window.Text(kMySqlLoginEdit), "") << c.what;
    EXPECT_EQ(window.Text(kMySqlPasswordEdit), "") << c.what;
    EXPECT_EQ(window.FocusedControl(), kMySqlLoginEdit) << c.what;
    EXPECT_TRUE(window.IsEnabled(kNextButton)) << c.what;
    EXPECT_EQ(window.Page(), 1) << c.what;
    EXPECT_EQ(state.Target.AttemptedPorts(), (std::vector<int>{3306, 3307, 3308, 3309})) << c.what;
  }
}

// A name that is no embedded instance goes to Oracle's client library; the test double of it
// answers as Oracle Net does, with ORA-12154.
TEST_F(ConnectionStepTest, AnUnknownServiceNameEmptiesTheServiceNameField) {
  test::OciRoute route(session_.Oracle().SearchDirectory());
  session_.FillConnectionFields("scott", "tiger");
  session_.Window().SetField(kServiceNameEdit, "NO_SUCH_SERVICE");
  Next();
  auto& window = session_.Window();
  EXPECT_EQ(window.Actions(),
            (std::vector<std::string>{"SetNavigationEnabled(false)",
                                      "ShowMessage(Invalid Oracle Service Name.|Message|None|Ok)",
                                      "SetControlText(1000,)", "FocusControl(1000)",
                                      "EnableControl(1003,true)"}));
  EXPECT_EQ(window.Text(kOracleUserEdit), "scott");
  EXPECT_EQ(window.Text(kOraclePasswordEdit), "tiger");
  // The source's own message is kept beside the message.
  ASSERT_EQ(window.Messages().size(), 1u);
  EXPECT_NE(window.Messages()[0].details.find("ORA-12154"), std::string::npos);
  EXPECT_FALSE(session_.State().Target.IsConnected());
}

// A service name is one value of the connection string, whatever it holds: a ';' does not cut
// it short (to the instance named before it), and quotes are part of the name.
TEST_F(ConnectionStepTest, AServiceNameHoldingSemicolonsOrQuotesIsTakenWhole) {
  test::OciRoute route(session_.Oracle().SearchDirectory());
  for (const std::string service :
       {"CLASSIC;Data Source=CLASSIC", "CLASSIC;", "\"CLASSIC\"", "'CLASSIC'", "'CLASSIC;\"x"}) {
    SCOPED_TRACE(service);
    test::RecordingWindow window;
    ConversionState state;
    session_.FillConnectionFields("scott", "tiger");
    for (int id : {kOracleUserEdit, kOraclePasswordEdit, kMySqlServerEdit, kMySqlLoginEdit,
                   kMySqlPasswordEdit})
      window.SetField(id, session_.Window().Text(id));
    window.SetField(kServiceNameEdit, service);
    ConnectAndListTables(state, window);
    const auto messages = window.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Invalid Oracle Service Name.");
    EXPECT_NE(messages[0].details.find("ORA-12154"), std::string::npos) << messages[0].details;
    EXPECT_FALSE(state.Source.IsOpen());
    EXPECT_EQ(window.Page(), 1);
  }
}

// Without Oracle's client library, a name that is no embedded instance is told as exactly that,
// not blamed on the service name: the fields keep their texts.
TEST_F(ConnectionStepTest, AServiceNameWithoutAClientLibrarySaysTheLibraryIsMissing) {
  test::ScopedVariable noLibrary("SKERROW_OCI_LIBRARY", "/nonexistent/libclntsh.so");
  session_.FillConnectionFields("scott", "tiger");
  session_.Window().SetField(kServiceNameEdit, "db.example.com/ORCL");
  Next();
  auto& window = session_.Window();
  const auto messages = window.Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].text.find("client library"), std::string::npos) << messages[0].text;
  EXPECT_NE(messages[0].text.find("SKERROW_ORACLE_PATH"), std::string::npos) << messages[0].text;
  EXPECT_EQ(messages[0].caption, "Message");
  EXPECT_EQ(messages[0].icon, MessageIcon::None);
  EXPECT_EQ(window.Text(kServiceNameEdit), "db.example.com/ORCL");
  EXPECT_EQ(window.Text(kOracleUserEdit), "scott");
  EXPECT_EQ(window.FocusedControl(), kServiceNameEdit);
  EXPECT_TRUE(window.IsEnabled(kNextButton));
  EXPECT_EQ(window.Page(), 1);
}

TEST_F(ConnectionStepTest, AWrongOraclePasswordEmptiesUserAndPasswordButKeepsTheService) {
  session_.FillConnectionFields("scott", "not-tiger");
  Next();
  auto& window = session_.Window();
  EXPECT_EQ(window.Actions(),
            (std::vector<std::string>{
                "SetNavigationEnabled(false)",
                "ShowMessage(There is an error to connect with ORACLE. Please check your input "
                "parameters User Name/Password.|Message|None|Ok)",
                "FocusControl(1001)", "SetControlText(1001,)", "SetControlText(1002,)",
                "EnableControl(1003,true)"}));
  EXPECT_EQ(window.Text(kServiceNameEdit), "CLASSIC");
  EXPECT_FALSE(session_.State().Source.IsOpen());
}

TEST_F(ConnectionStepTest, ListsTheTablesAndProposesTheServiceNameAsTyped) {
  session_.FillConnectionFields("scott", "tiger");
  // Service names resolve without regard to case; the proposal keeps what was typed.
  session_.Window().SetField(kServiceNameEdit, "Classic");
  Next();
  auto& window = session_.Window();
  const std::vector<std::string> tables = {"DEPT", "EMP", "BONUS", "SALGRADE"};
  const std::vector<std::string> items = window.TableItems();
  EXPECT_EQ(std::multiset<std::string>(items.begin(), items.end()),
            std::multiset<std::string>(tables.begin(), tables.end()));
  EXPECT_EQ(session_.State().TableNames, window.TableItems());
  EXPECT_EQ(window.Text(kTableCountLabel), "4");
  EXPECT_EQ(window.Page(), 2);
  EXPECT_EQ(window.Text(kDestinationNameEdit), "Classic");
  EXPECT_TRUE(window.IsEnabled(kNextButton));
  EXPECT_TRUE(window.IsEnabled(kConvertButton));
  EXPECT_TRUE(window.Messages().empty());
  EXPECT_TRUE(session_.State().Target.IsConnected());
  const auto actions = window.Actions();
  ASSERT_EQ(actions.size(), 7u);
  EXPECT_EQ(actions[0], "SetNavigationEnabled(false)");
  EXPECT_EQ(actions[1], "ResetTableList(4)");
  EXPECT_EQ(actions[6], "ShowSelectionPage(Classic)");
}

TEST_F(ConnectionStepTest, NextAfterBackRebuildsTheListWithoutDuplicates) {
  ASSERT_TRUE(session_.Next("scott", "tiger"));
  const std::vector<std::string> first = session_.Window().TableItems();
  session_.Window().SetTableChecked(1, true);
  // Back shows page 1 again; the fields keep their texts and Next runs once more.
  ConnectAndListTables(session_.State(), session_.Window());
  EXPECT_EQ(session_.Window().TableItems(), first);
  EXPECT_EQ(session_.State().TableNames, first);
  EXPECT_FALSE(session_.Window().TableChecked(1));
  EXPECT_EQ(session_.Window().Text(kTableCountLabel), "4");
}

// Next while a conversion runs would re-open the connections the worker is using: refused,
// with a word, and the list and both connections stay as the run knows them.
TEST_F(ConnectionStepTest, IsRefusedWhileAConversionRuns) {
  ASSERT_TRUE(session_.Next("scott", "tiger"));
  auto& window = session_.Window();
  const std::vector<std::string> listed = window.TableItems();
  const std::size_t actionsBefore = window.Actions().size();
  MYSQL* const handle = session_.State().Target.Handle();
  const unsigned long connection = mysql_thread_id(handle);
  window.SetField(kOracleUserEdit, "nobody");
  window.SetField(kOraclePasswordEdit, "nobody_pw");

  session_.State().RunInProgress = true;
  Next();
  session_.State().RunInProgress = false;

  const auto actions = window.Actions();
  ASSERT_EQ(actions.size(), actionsBefore + 1);
  EXPECT_EQ(actions.back(),
            "ShowMessage(A conversion is in progress. Wait until it has ended (or press Stop) "
            "before you connect again.|Message|Warning|Ok)");
  EXPECT_EQ(window.Messages().back().kind, MessageKind::Notice);
  EXPECT_EQ(window.TableItems(), listed);
  EXPECT_EQ(session_.State().TableNames, listed);
  EXPECT_EQ(session_.State().Target.Handle(), handle);
  EXPECT_TRUE(session_.State().Target.IsConnected());
  EXPECT_EQ(mysql_thread_id(session_.State().Target.Handle()), connection);
  EXPECT_TRUE(session_.State().Source.IsOpen());
}

TEST_F(ConnectionStepTest, AUserWithoutTablesIsToldSoAndKeepsPageOne) {
  ASSERT_FALSE(session_.Next("nobody", "nobody_pw"));
  auto& window = session_.Window();
  const auto messages = window.Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].text.find("owns no tables"), std::string::npos) << messages[0].text;
  EXPECT_NE(messages[0].text.find("nobody"), std::string::npos) << messages[0].text;
  EXPECT_EQ(messages[0].caption, "Message");
  EXPECT_EQ(window.Page(), 1);
  EXPECT_TRUE(window.IsEnabled(kNextButton));
  EXPECT_FALSE(window.IsEnabled(kConvertButton));
  EXPECT_TRUE(window.TableItems().empty());
  EXPECT_EQ(window.Actions().back(), "EnableControl(1003,true)");

  // The page stays usable: the operator types another user and goes on.
  EXPECT_TRUE(session_.Next("scott", "tiger"));
  EXPECT_EQ(window.TableItems().size(), 4u);
}

}  // namespace
}  // namespace skerrow
