// SourceConnection over the embedded instance: the result rules the converter relies on
// (empty results fail GetRows, a new Execute replaces the result, block-wise fetches) and the
// errors with their Oracle texts, formatted byte for byte and told apart by the connection
// step's keyword search.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/source_connection.h"
#include "oracle/embedded_provider.h"
#include "providers/source_providers.h"
#include "support/oracle_fixture.h"
#include "support/recording_window.h"
#include "workflow/oracle_logon_failure.h"

namespace skerrow {
namespace {

using test::OpenOracle;
using test::OracleFixture;
using test::QueryRows;

constexpr const char* kDeptQuery = R"(Select "DEPTNO","DNAME" from "SCOTT"."DEPT" w)";

class EmbeddedConnection : public ::testing::Test {
 protected:
  EmbeddedConnection() : oracle_("CONNTEST", {"classic.sql"}) {}
  OracleFixture oracle_;
};

TEST_F(EmbeddedConnection, ExecuteBeforeCreationRaisesInvalidPointerFormattedByteForByte) {
  SourceConnection never{StandardSourceProviders()};
  try {
    never.Execute("select table_name from user_tables");
    FAIL() << "Execute before Create must fail";
  } catch (const SourceError& error) {
    EXPECT_EQ(error.Code(), static_cast<std::int32_t>(0x80004003u));
    EXPECT_EQ(error.SystemMessage(), "Invalid pointer");
    const std::string formatted = FormatSourceError(error);
    EXPECT_EQ(formatted, "\n" + error.Source().value_or("(null)") + " Error: -2147467261\r\n" +
                             error.Description().value_or("(null)") + "\r\nInvalid pointer\r\n");
  }
  // The other operations before creation, and Open before Create.
  EXPECT_THROW(never.GetRows(), SourceError);
  EXPECT_THROW(never.FieldCount(), SourceError);
  try {
    never.Open(test::OracleConnectionString("CONNTEST", "SCOTT", "tiger"), "SCOTT", "tiger",
               kConnectUnspecified);
    FAIL() << "Open before Create must fail";
  } catch (const SourceError& error) {
    EXPECT_NE(FormatSourceError(error).find(" Error: -2147467261\r\n"), std::string::npos);
  }
}

TEST_F(EmbeddedConnection, EmptyResultFailsGetRowsAndOneRowGivesRowCountOne) {
  ASSERT_TRUE(oracle_.Ok()) << oracle_.Error();
  SourceConnection source{StandardSourceProviders()};
  OpenOracle(source, "CONNTEST", "SCOTT", "tiger");

  source.Execute(R"(Select "ENAME" from "SCOTT"."BONUS" w)");  // a table without rows
  EXPECT_EQ(source.FieldCount(), 1);
  try {
    source.GetRows();
    FAIL() << "GetRows on an empty result must fail";
  } catch (const SourceError& error) {
    EXPECT_EQ(error.Code(), kCodeNoCurrentRecord);
    EXPECT_NE(FormatSourceError(error).find("\r\n"), std::string::npos);
  }

  source.Execute(
      "select COLUMN_NAME from USER_TAB_COLUMNS where TABLE_NAME = 'DEPT' and COLUMN_ID = 1");
  const RowArray one = source.GetRows();
  EXPECT_EQ(one.FieldCount(), 1u);
  EXPECT_EQ(one.RowCount(), 1u);
  EXPECT_EQ(test::ShowValue(one.At(0, 0)), "TEXT:DEPTNO");
  // Everything has been fetched: a further GetRows fails like an empty result.
  EXPECT_THROW(source.GetRows(), SourceError);
}

TEST_F(EmbeddedConnection, SecondExecuteReplacesTheFirstResult) {
  ASSERT_TRUE(oracle_.Ok()) << oracle_.Error();
  SourceConnection source{StandardSourceProviders()};
  OpenOracle(source, "CONNTEST", "SCOTT", "tiger");
  source.Execute(kDeptQuery);
  source.Execute(R"(Select "GRADE","LOSAL","HISAL" from "SCOTT"."SALGRADE" w)");
  EXPECT_EQ(source.FieldCount(), 3);
  const RowArray rows = source.GetRows();
  EXPECT_EQ(rows.FieldCount(), 3u);
  EXPECT_EQ(rows.RowCount(), 5u);
  EXPECT_EQ(test::ShowRows(rows).front(), "DECIMAL:1 | DECIMAL:700 | DECIMAL:1200");
  EXPECT_THROW(source.GetRows(), SourceError);  // the rows of DEPT are gone with their result

  // A failing Execute leaves the previous result current.
  source.Execute(kDeptQuery);
  EXPECT_THROW(source.Execute(R"(Select "NOPE" from "SCOTT"."DEPT" w)"), SourceError);
  EXPECT_EQ(source.FieldCount(), 2);
  EXPECT_EQ(source.GetRows().RowCount(), 4u);
}

TEST_F(EmbeddedConnection, BoundedGetRowsReadsAResultInBlocks) {
  ASSERT_TRUE(oracle_.Ok()) << oracle_.Error();
  SourceConnection source{StandardSourceProviders()};
  OpenOracle(source, "CONNTEST", "SCOTT", "tiger");
  source.Execute(R"(Select "EMPNO" from "SCOTT"."EMP" w)");
  std::vector<std::size_t> blocks;
  std::vector<std::string> all;
  while (!source.EndOfRows()) {
    const RowArray block = source.GetRows(5);
    blocks.push_back(block.RowCount());
    for (const std::string& row : test::ShowRows(block)) all.push_back(row);
  }
  EXPECT_EQ(blocks, (std::vector<std::size_t>{5, 5, 4}));
  EXPECT_EQ(all.size(), 14u);
  EXPECT_EQ(all.front(), "DECIMAL:7839");
  EXPECT_EQ(all.back(), "DECIMAL:7934");
  EXPECT_THROW(source.GetRows(5), SourceError);
}

// The Oracle errors of the stand-in, and which message row of the connection step each one
// selects when its formatted text is searched for "could not" and "invalid username/password".
TEST_F(EmbeddedConnection, OracleErrorsCarryTheirTextsAndSelectTheRightLogonMessage) {
  ASSERT_TRUE(oracle_.Ok()) << oracle_.Error();
  const std::string service = "Provider=MSDAORA.1;Data Source=";
  struct Case {
    const char* what;
    std::string dataSource, user, password, sql;  // sql empty: the logon fails
    std::string description;
    std::string message;  // of the connection step; empty when the logon succeeds
  };
  const std::string invalidService = "Invalid Oracle Service Name.";
  const std::string badLogon =
      "There is an error to connect with ORACLE. Please check your input parameters User "
      "Name/Password.";
  const std::vector<Case> cases = {
      {"wrong password", "CONNTEST", "SCOTT", "lion", "",
       "ORA-01017: invalid username/password; logon denied", badLogon},
      {"unknown user", "CONNTEST", "NOBODY", "tiger", "",
       "ORA-01017: invalid username/password; logon denied", badLogon},
      {"password in another case", "CONNTEST", "SCOTT", "TIGER", "",
       "ORA-01017: invalid username/password; logon denied", badLogon},
      {"service name in another case is the same service", "conntest", "SCOTT", "tiger",
       R"(Select "NOPE" from "SCOTT"."DEPT" w)", "ORA-00904: \"NOPE\": invalid identifier", ""},
      {"unknown table", "CONNTEST", "SCOTT", "tiger", R"(Select "A" from "SCOTT"."NOPE" w)",
       "ORA-00942: table or view does not exist", ""},
      {"another owner's table that does not exist", "CONNTEST", "SCOTT", "tiger",
       R"(Select "DEPTNO" from "NOBODY"."DEPT" w)", "ORA-00942: table or view does not exist", ""},
      {"unknown column of the cast form", "CONNTEST", "SCOTT", "tiger",
       R"(Select utl_raw.cast_to_raw("NOPE") from "SCOTT"."DEPT" w)",
       "ORA-00904: \"NOPE\": invalid identifier", ""},
      {"unknown dictionary column", "CONNTEST", "SCOTT", "tiger",
       "select NOPE from USER_TAB_COLUMNS where TABLE_NAME = 'DEPT'",
       "ORA-00904: \"NOPE\": invalid identifier", ""},
      {"not a statement", "CONNTEST", "SCOTT", "tiger", "hello world",
       "ORA-00900: invalid SQL statement", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SourceConnection source{StandardSourceProviders()};
    source.Create();
    try {
      source.Open(service + c.dataSource + ";Database=" + c.user + ";User ID=" + c.user +
                      ";Password=" + c.password + ",",
                  c.user, c.password, kConnectUnspecified);
      ASSERT_FALSE(c.sql.empty()) << "the logon should have failed";
      source.Execute(c.sql);
      ADD_FAILURE() << "the statement should have failed";
    } catch (const SourceError& error) {
      EXPECT_EQ(error.Code(), kCodeUnspecifiedError);
      EXPECT_EQ(error.Description().value_or(""), c.description);
      EXPECT_EQ(FormatSourceError(error), "\n" + error.Source().value_or("(null)") +
                                              " Error: -2147467259\r\n" + c.description +
                                              "\r\nUnspecified error\r\n");
      if (!c.message.empty()) {
        test::RecordingWindow window;
        ReportOracleLogonFailure(window, error);
        ASSERT_EQ(window.Messages().size(), 1u);
        EXPECT_EQ(window.Messages()[0].text, c.message);
      }
    }
  }
}

// An unknown net service name is the stand-in's ORA-12154, which the connection step reads as
// a bad service name.
TEST_F(EmbeddedConnection, UnknownServiceIsOra12154AndNamesTheServiceField) {
  ASSERT_TRUE(oracle_.Ok()) << oracle_.Error();
  EXPECT_FALSE(oracle::IsEmbeddedInstance("NO_SUCH_SERVICE"));
  EXPECT_TRUE(oracle::IsEmbeddedInstance("ConnTest"));
  try {
    oracle::OpenEmbeddedSession("NO_SUCH_SERVICE", "SCOTT", "tiger");
    FAIL() << "an unknown service must fail";
  } catch (const SourceError& error) {
    EXPECT_EQ(error.Description().value_or(""),
              "ORA-12154: TNS:could not resolve the connect identifier specified");
    test::RecordingWindow window;
    window.SetField(1000, "NO_SUCH_SERVICE");
    ReportOracleLogonFailure(window, error);
    ASSERT_EQ(window.Messages().size(), 1u);
    EXPECT_EQ(window.Messages()[0].text, "Invalid Oracle Service Name.");
    EXPECT_EQ(window.Text(1000), "");
    EXPECT_EQ(window.FocusedControl(), 1000);
  }
}

}  // namespace
}  // namespace skerrow
