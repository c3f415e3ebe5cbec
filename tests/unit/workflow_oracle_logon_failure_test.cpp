#include "workflow/oracle_logon_failure.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/recording_window.h"
#include "workflow/control_ids.h"

namespace skerrow {
namespace {

const std::string kService = "ShowMessage(Invalid Oracle Service Name.|Message|None|Ok)";
const std::string kLogon =
    "ShowMessage(There is an error to connect with ORACLE. Please check your input parameters "
    "User Name/Password.|Message|None|Ok)";
const std::string kNeither =
    "ShowMessage(Either Oracle Database could not be initialized or System Shutdown is in "
    "Progress.|Message|None|Ok)";
const std::string kClientMissing =
    "Oracle's client library was not found (looked for libclntsh.so on the library search "
    "path, in $ORACLE_HOME/lib, /usr/lib/oracle and /opt/oracle); embedded instances are looked "
    "up in SKERROW_ORACLE_PATH, and it could not resolve the name DEMO.";

struct LogonCase {
  const char* label;
  std::optional<std::string> source;
  std::int32_t code;
  std::optional<std::string> description;
  std::vector<std::string> actions;
};

class OracleLogonFailureTest : public testing::TestWithParam<LogonCase> {};

TEST_P(OracleLogonFailureTest, ShowsTheMessageAndPreparesTheFields) {
  const LogonCase& c = GetParam();
  test::RecordingWindow window;
  window.SetField(kServiceNameEdit, "DEMO");
  window.SetField(kOracleUserEdit, "scott");
  window.SetField(kOraclePasswordEdit, "tiger");
  ReportOracleLogonFailure(window, SourceError(c.source, c.code, c.description));
  EXPECT_EQ(window.Actions(), c.actions);
}

const std::optional<std::string> kProvider = std::string("Skerrow Embedded Oracle");

INSTANTIATE_TEST_SUITE_P(
    Errors, OracleLogonFailureTest,
    testing::Values(LogonCase{"unknown_service",
                              kProvider,
                              kCodeUnspecifiedError,
                              "ORA-12154: TNS:could not resolve the connect identifier specified",
                              {kService, "SetControlText(1000,)", "FocusControl(1000)",
                               "EnableControl(1003,true)"}},
                    LogonCase{"wrong_password",
                              kProvider,
                              kCodeUnspecifiedError,
                              "ORA-01017: invalid username/password; logon denied",
                              {kLogon, "FocusControl(1001)", "SetControlText(1001,)",
                               "SetControlText(1002,)", "EnableControl(1003,true)"}},
                    // Both keywords: the first row of the table wins.
                    LogonCase{"both_keywords",
                              kProvider,
                              kCodeUnspecifiedError,
                              "invalid username/password, and it could not say more",
                              {kService, "SetControlText(1000,)", "FocusControl(1000)",
                               "EnableControl(1003,true)"}},
                    // The search covers the whole formatted text, the source's name included.
                    LogonCase{"keyword_in_source",
                              std::string("provider that could not start"),
                              kCodeUnspecifiedError,
                              "ORA-12541: TNS:no listener",
                              {kService, "SetControlText(1000,)", "FocusControl(1000)",
                               "EnableControl(1003,true)"}},
                    // Case-sensitive: "Could not" is not "could not".
                    LogonCase{"neither",
                              kProvider,
                              kCodeUnspecifiedError,
                              "ORA-12541: TNS:Could not find a listener",
                              {kNeither, "EnableControl(1003,true)"}},
                    // The library's own text, although it holds "could not": no keyword search.
                    LogonCase{"client_library_missing",
                              kProvider,
                              kCodeOracleClientNotFound,
                              kClientMissing,
                              {"ShowMessage(" + kClientMissing + "|Message|None|Ok)",
                               "FocusControl(1000)", "EnableControl(1003,true)"}},
                    LogonCase{
                        "client_library_missing_without_description",
                        kProvider,
                        kCodeOracleClientNotFound,
                        std::nullopt,
                        {"ShowMessage(Oracle's client library was not found.|Message|None|Ok)",
                         "FocusControl(1000)", "EnableControl(1003,true)"}}),
    [](const auto& param) { return std::string(param.param.label); });

// The fields the operator does not have to retype keep their texts.
TEST(OracleLogonFailureTest, AMissingClientLibraryEmptiesNoField) {
  test::RecordingWindow window;
  window.SetField(kServiceNameEdit, "db.example.com/ORCL");
  window.SetField(kOracleUserEdit, "scott");
  window.SetField(kOraclePasswordEdit, "tiger");
  ReportOracleLogonFailure(window,
                           SourceError(kProvider, kCodeOracleClientNotFound, kClientMissing));
  EXPECT_EQ(window.Text(kServiceNameEdit), "db.example.com/ORCL");
  EXPECT_EQ(window.Text(kOracleUserEdit), "scott");
  EXPECT_EQ(window.Text(kOraclePasswordEdit), "tiger");
  ASSERT_EQ(window.Messages().size(), 1u);
  EXPECT_EQ(window.Messages()[0].caption, "Message");
  EXPECT_EQ(window.Messages()[0].icon, MessageIcon::None);
}

}  // namespace
}  // namespace skerrow
