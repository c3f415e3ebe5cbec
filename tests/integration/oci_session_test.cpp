// The OCI provider against the test double of Oracle's client library: logon, the workflow's
// SQL texts, value kinds, LOBs, errors, block-wise fetch, and the missing-library message.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/source_connection.h"
#include "oci_double_support.h"
#include "oracle/oracle_error.h"
#include "providers/source_providers.h"
#include "schema/column_catalog.h"
#include "schema/table_creation.h"
#include "support/oracle_fixture.h"
#include "transfer/row_statements.h"
#include "workflow/connection_step.h"

namespace skerrow::test {
namespace {

std::string ConnectionString(const std::string& service, const std::string& user,
                             const std::string& password) {
  return "Provider=MSDAORA.1;Data Source=" + service + ";Database=" + user + ";User ID=" + user +
         ";Password=" + password + ",";
}

std::string Shown(const Variant& value) {
  return std::string(VariantKindName(value.Kind())) + ":" + value.ToText().value_or("<none>");
}

class OciSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(oracle_.Ok()) << oracle_.Error();
    ASSERT_TRUE(oracle_.LoadText(kExtraTables, "oci_extra.sql")) << oracle_.Error();
  }

  // The instance is reachable only through the double while `route` lives.
  void OpenThroughOci(SourceConnection& source) {
    source.Create();
    source.Open(ConnectionString(Service(), "types", "types_pw"), "types", "types_pw",
                kConnectUnspecified);
  }
  void OpenEmbedded(SourceConnection& source) {
    source.Create();
    source.Open(ConnectionString(Service(), "types", "types_pw"), "types", "types_pw",
                kConnectUnspecified);
  }
  const std::string& Service() const { return oracle_.Service(); }

  // A table of 1200 rows and a CLOB longer than one read piece, with characters of several
  // bytes across the piece boundaries.
  static inline const std::string kExtraTables = [] {
    std::string script =
        "CONNECT types/types_pw\nCREATE TABLE t_many (id NUMBER(6), label VARCHAR2(20));\n";
    for (int i = 1; i <= 1200; ++i)
      script += "INSERT INTO t_many VALUES (" + std::to_string(i) + ", 'row " + std::to_string(i) +
                "');\n";
    script +=
        "CREATE TABLE t_big_lob (id NUMBER(2), c CLOB);\nINSERT INTO t_big_lob VALUES (1, "
        "TO_CLOB('start')";
    for (int i = 0; i < 30; ++i)
      script += " || RPAD('\xC3\xBC', 1500, '\xC3\xBC') || '\xF0\x9F\x98\x80'";
    script += " || 'end');\n";
    // NUMBER texts of every length: 64 characters besides the sign (row 1), one more (row 2,
    // which Oracle writes in scientific notation), and the largest and smallest magnitudes.
    script +=
        "CREATE TABLE t_long_numbers (id NUMBER(2), n NUMBER);\n"
        "INSERT INTO t_long_numbers VALUES (1, "
        "-0.000000000000000000000000012345678901234567890123456789012345678);\n"
        "INSERT INTO t_long_numbers VALUES (2, "
        "0.0000000000000000000000000012345678901234567890123456789012345678);\n"
        "INSERT INTO t_long_numbers VALUES (3, -99999999999999999999999999999999999999);\n"
        "INSERT INTO t_long_numbers VALUES (4, -1234567890123456789012345678.9012345678);\n"
        "INSERT INTO t_long_numbers VALUES (5, 9.9999999999999999999999999999999999999E125);\n"
        "INSERT INTO t_long_numbers VALUES (6, -1E-130);\n";
    // Fractional seconds of precision 0, 1 and 9, a zone of its own, and a LOCAL TIME ZONE
    // value late enough that a shift by the client's zone moves it to another day and month.
    const std::string moment = "TIMESTAMP '2024-02-29 23:59:58.123456789";
    script +=
        "CREATE TABLE t_fractions (id NUMBER(2), ts0 TIMESTAMP(0), ts1 TIMESTAMP(1), ts9 "
        "TIMESTAMP(9), tz9 TIMESTAMP(9) WITH TIME ZONE, ltz9 TIMESTAMP(9) WITH LOCAL TIME "
        "ZONE);\nINSERT INTO t_fractions VALUES (1, " +
        moment + "', " + moment + "', " + moment + "', " + moment + " +05:30', " + moment + "');\n";
    script += "COMMIT;\n";
    return script;
  }();

  OracleFixture oracle_{"OCISESS" + std::to_string(::getpid()), {"types.sql"}};
};

TEST_F(OciSessionTest, LogonThroughTheClientLibraryInUtf8WithKnownSessionFormats) {
  OciRoute route(oracle_.SearchDirectory());
  SourceConnection source{StandardSourceProviders()};
  OpenThroughOci(source);
  const std::string journal = DoubleJournal();
  EXPECT_NE(journal.find("ENV 1 873 873\n"), std::string::npos) << journal;
  EXPECT_NE(journal.find("ATTACH " + Service() + "\n"), std::string::npos) << journal;
  EXPECT_NE(journal.find("LOGON types\n"), std::string::npos) << journal;
  for (const char* setting : {"NLS_DATE_FORMAT = 'YYYY-MM-DD HH24:MI:SS'",
                              "NLS_TIMESTAMP_FORMAT = 'YYYY-MM-DD HH24:MI:SS.FF'",
                              "NLS_TIMESTAMP_TZ_FORMAT = 'YYYY-MM-DD HH24:MI:SS.FF TZH:TZM'",
                              "NLS_NUMERIC_CHARACTERS = '.,'", "TIME_ZONE = '+00:00'"})
    EXPECT_NE(journal.find(setting), std::string::npos) << setting << "\n" << journal;
}

// Each SQL text the workflow sends gives, through OCI, the values the embedded provider gives.
// Dictionary numbers are NUMBER columns to Oracle, so they arrive as exact decimals there.
TEST_F(OciSessionTest, EveryWorkflowStatementReadsAsThroughTheEmbeddedProvider) {
  const std::vector<std::string> statements = {
      "select table_name from user_tables",
      ColumnCatalogQuery("T_NUMBERS"),
      ColumnCatalogQuery("T_DATES"),
      ConstraintQuery("T_LOBS"),
      PrimaryKeyQuery("T_LOBS"),
      RowQuery(
          R"("ID","N_PLAIN","N_INT","N_MONEY","N_STAR","N_FLOAT",utl_raw.cast_to_raw("N_BF"),utl_raw.cast_to_raw("N_BD"))",
          "TYPES", "T_NUMBERS"),
      RowQuery(R"("ID","N_BF","N_BD")", "TYPES", "T_NUMBERS"),
      RowQuery(R"("ID","V_BYTES","V_CHARS","V_NAT","C_FIXED","C_NAT","V_PLAIN","L_LONG")", "TYPES",
               "T_TEXTS"),
      RowQuery(R"("ID","C","NC","B",utl_raw.cast_to_raw("C"))", "TYPES", "T_LOBS"),
      RowQuery(R"("ID",utl_raw.cast_to_varchar2("B"))", "TYPES", "T_LOBS"),
      RowQuery(R"("ID",utl_raw.cast_to_raw("R"),"R","LR")", "TYPES", "T_BINARY"),
      RowQuery(
          R"("ID","D",utl_raw.cast_to_raw("TS"),utl_raw.cast_to_raw("TS3"),utl_raw.cast_to_raw("TS_TZ"),utl_raw.cast_to_raw("TS_LTZ"),utl_raw.cast_to_raw("IV_YM"),utl_raw.cast_to_raw("IV_DS"))",
          "TYPES", "T_DATES"),
      RowQuery(
          R"("ID",utl_raw.cast_to_raw("RID"),utl_raw.cast_to_raw("URID"),w."LINK".getUrl(),w."WEB".getUrl(),"PHONE")",
          "TYPES", "T_OBJECTS"),
      RowQuery(R"("ID","C")", "TYPES", "T_BIG_LOB"),
  };
  std::vector<std::vector<std::vector<Variant>>> embedded;
  {
    SourceConnection source{StandardSourceProviders()};
    OpenEmbedded(source);
    for (const auto& sql : statements) embedded.push_back(AllRows(source, sql));
  }
  OciRoute route(oracle_.SearchDirectory());
  SourceConnection source{StandardSourceProviders()};
  OpenThroughOci(source);
  for (std::size_t s = 0; s < statements.size(); ++s) {
    SCOPED_TRACE(statements[s]);
    const auto rows = AllRows(source, statements[s]);
    ASSERT_EQ(rows.size(), embedded[s].size());
    ASSERT_GT(rows.size(), 0u);
    const bool dictionary = s < 5;
    for (std::size_t r = 0; r < rows.size(); ++r)
      for (std::size_t f = 0; f < rows[r].size(); ++f) {
        const Variant& expected = embedded[s][r][f];
        const Variant& actual = rows[r][f];
        if (dictionary && expected.Kind() == VariantKind::Double)
          EXPECT_EQ(actual.Kind(), VariantKind::Decimal) << "row " << r << " field " << f;
        else
          EXPECT_EQ(Shown(actual), Shown(expected)) << "row " << r << " field " << f;
        EXPECT_EQ(actual.ToText(), expected.ToText()) << "row " << r << " field " << f;
      }
  }
}

// The kinds the conversion rules rely on, by column type.
TEST_F(OciSessionTest, ValueKindsNullsAndLobsThroughOci) {
  OciRoute route(oracle_.SearchDirectory());
  SourceConnection source{StandardSourceProviders()};
  OpenThroughOci(source);
  struct Case {
    std::string sql;
    std::size_t row;
    std::vector<std::string> shown;
  };
  const Case cases[] = {
      {RowQuery(R"("N_PLAIN","N_MONEY","N_BF","N_BD")", "TYPES", "T_NUMBERS"),
       1,
       {"DECIMAL:-12.5", "DECIMAL:-1234567890.12", "DOUBLE:-1.5", "DOUBLE:-2.25"}},
      {RowQuery(R"("N_PLAIN","N_INT")", "TYPES", "T_NUMBERS"),
       2,
       {"DECIMAL:12345678901234567890123456789012345678",
        "DECIMAL:99999999999999999999999999999999999999"}},
      {RowQuery(R"("N_PLAIN","N_BF","N_MONEY")", "TYPES", "T_NUMBERS"),
       3,
       {"NULL:<none>", "NULL:<none>", "NULL:<none>"}},
      {RowQuery(R"("D")", "TYPES", "T_DATES"), 0, {"DATE:2024-01-15 00:00:00"}},
      {RowQuery(R"("D")", "TYPES", "T_DATES"), 2, {"DATE:9999-12-31 23:59:59"}},
      {RowQuery(R"("V_NAT","L_LONG")", "TYPES", "T_TEXTS"),
       2,
       {"TEXT:naïve café", "TEXT:back\\slash"}},
      {RowQuery(R"("C","NC","B")", "TYPES", "T_LOBS"),
       3,
       {"TEXT:line1\nline2", "TEXT:x", std::string("BYTES:") + '\0'}},
      {RowQuery(R"("C","NC","B")", "TYPES", "T_LOBS"),
       1,
       {"NULL:<none>", "NULL:<none>", "NULL:<none>"}},
      {RowQuery(R"("R","LR")", "TYPES", "T_BINARY"), 0, {"BYTES:\x00\xFF", "BYTES:\xFF\x00\xFF"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sql);
    const auto rows = AllRows(source, c.sql);
    ASSERT_GT(rows.size(), c.row);
    ASSERT_EQ(rows[c.row].size(), c.shown.size());
    for (std::size_t f = 0; f < c.shown.size(); ++f) {
      std::string expected = c.shown[f];
      // Byte strings with NULs do not survive a literal; compare the bytes that were meant.
      if (c.sql.find("T_BINARY") != std::string::npos)
        expected = f == 0 ? std::string("BYTES:\x00\xFF", 8) : std::string("BYTES:\xFF\x00\xFF", 9);
      EXPECT_EQ(Shown(rows[c.row][f]), expected) << "field " << f;
    }
  }

  ClearDoubleJournal();
  const auto big = AllRows(source, RowQuery(R"("C")", "TYPES", "T_BIG_LOB"));
  ASSERT_EQ(big.size(), 1u);
  const std::string& text = big[0][0].Data();
  EXPECT_GT(text.size(), 65536u);
  EXPECT_TRUE(text.starts_with("start\xC3\xBC")) << text.substr(0, 20);
  EXPECT_TRUE(
      text.ends_with("\xF0\x9F\x98\x80"
                     "end"));
  // Longer than one read piece: read first, then next pieces through the same locator.
  EXPECT_NE(DoubleJournal().find("LOBREAD 2 form 1\n"), std::string::npos) << DoubleJournal();
}

// NUMBER values arrive exact whatever the length of their text.
TEST_F(OciSessionTest, NumbersWithTheLongestTextsArriveExact) {
  OciRoute route(oracle_.SearchDirectory());
  SourceConnection source{StandardSourceProviders()};
  OpenThroughOci(source);
  const std::vector<std::string> expected = {
      "DECIMAL:-0.000000000000000000000000012345678901234567890123456789012345678",
      "DECIMAL:0.0000000000000000000000000012345678901234567890123456789012345678",
      "DECIMAL:-99999999999999999999999999999999999999",
      "DECIMAL:-1234567890123456789012345678.9012345678",
      "DECIMAL:99999999999999999999999999999999999999" + std::string(88, '0'),
      "DECIMAL:-0." + std::string(129, '0') + "1",
  };
  std::vector<std::string> shown;
  for (const auto& row : AllRows(source, RowQuery(R"("ID","N")", "TYPES", "T_LONG_NUMBERS")))
    shown.push_back(Shown(row[1]));
  EXPECT_EQ(shown, expected);
}

// Fractional seconds with each column's own precision (nine digits of a TIMESTAMP(9)), and LOCAL
// TIME ZONE values in UTC whatever the client machine's zone: as the workflow reads timestamps
// (the RAW of their text) and directly.
TEST_F(OciSessionTest, TimestampsKeepTheirOwnPrecisionAndLocalTimeZoneValuesAreInUtc) {
  OciRoute route(oracle_.SearchDirectory());
  SourceConnection source{StandardSourceProviders()};
  OpenThroughOci(source);
  const std::vector<std::string> expected = {
      "2024-02-29 23:59:58", "2024-02-29 23:59:58.1", "2024-02-29 23:59:58.123456789",
      "2024-02-29 23:59:58.123456789 +05:30", "2024-02-29 23:59:58.123456789"};
  struct Case {
    std::string sql;
    VariantKind kind;
  };
  const Case cases[] = {
      {RowQuery(
           R"(utl_raw.cast_to_raw("TS0"),utl_raw.cast_to_raw("TS1"),utl_raw.cast_to_raw("TS9"),utl_raw.cast_to_raw("TZ9"),utl_raw.cast_to_raw("LTZ9"))",
           "TYPES", "T_FRACTIONS"),
       VariantKind::ByteArray},
      {RowQuery(R"("TS0","TS1","TS9","TZ9","LTZ9")", "TYPES", "T_FRACTIONS"), VariantKind::Text},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sql);
    const auto rows = AllRows(source, c.sql);
    ASSERT_EQ(rows.size(), 1u);
    std::vector<std::string> shown;
    for (const auto& value : rows[0]) {
      EXPECT_EQ(value.Kind(), c.kind);
      shown.push_back(value.ToText().value_or("<none>"));
    }
    EXPECT_EQ(shown, expected);
  }
}

// NCHAR, NVARCHAR2 and NCLOB are read in the national character set form. Through the database
// character set (Latin-1 in the double) 日本, € and 😀 would arrive as inverted question marks.
TEST_F(OciSessionTest, NationalCharacterColumnsAreReadInTheNationalForm) {
  OciRoute route(oracle_.SearchDirectory());
  SourceConnection source{StandardSourceProviders()};
  OpenThroughOci(source);
  struct Case {
    std::string sql;
    std::vector<std::string> shown;  // of every row, fields joined by " | "
    std::vector<std::string> journal;
  };
  const Case cases[] = {
      {RowQuery(R"("ID","V_NAT","C_NAT","V_CHARS")", "TYPES", "T_TEXTS"),
       {"1 | plain | x   | plain", "2 | <none> | <none> | <none>",
        "3 | naïve café | ü   | it's a q-quote", "4 | € | 日本  | carriage\r\nreturn",
        "5 | 😀 | a   | 😀😁😂", "6 | --not a comment | <none> | braces ' and ; "},
       {"CHARSET_FORM 2 2\n", "CHARSET_FORM 3 2\n"}},
      {RowQuery(R"("ID","NC")", "TYPES", "T_LOBS"),
       {"1 | ", "2 | <none>", "3 | emoji 😀 and ' quote", "4 | x"},
       {"CHARSET_FORM 2 2\n", "LOBREAD 1 form 2\n"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sql);
    ClearDoubleJournal();
    std::vector<std::string> shown;
    for (const auto& row : AllRows(source, c.sql)) {
      std::string line;
      for (const auto& value : row)
        line += (line.empty() ? "" : " | ") + value.ToText().value_or("<none>");
      shown.push_back(line);
    }
    EXPECT_EQ(shown, c.shown);
    const std::string journal = DoubleJournal();
    for (const auto& entry : c.journal)
      EXPECT_NE(journal.find(entry), std::string::npos) << entry << journal;
    // Only the national columns: the others stay in the database character set.
    EXPECT_EQ(journal.find("CHARSET_FORM 1 "), std::string::npos) << journal;
    EXPECT_EQ(journal.find("CHARSET_FORM 4 "), std::string::npos) << journal;
  }
}

// An NCLOB's reads name the national form themselves, so a client that refuses the form on the
// locator's define costs nothing and is only noted; for NVARCHAR2 the form is the whole point.
TEST_F(OciSessionTest, ARefusedNationalFormFailsATextColumnButOnlyNotesAnNclob) {
  OciRoute route(oracle_.SearchDirectory());
  SourceConnection source{StandardSourceProviders()};
  OpenThroughOci(source);
  const std::string refusal = "ORA-24315: illegal attribute type";
  ClearDoubleJournal();
  InjectIntoDouble("OCIAttrSet(OCI_ATTR_CHARSET_FORM)", -1 /* OCI_ERROR */, refusal);
  {
    ClogCapture log;
    const auto rows = AllRows(source, RowQuery(R"("ID","NC")", "TYPES", "T_LOBS"));
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(Shown(rows[2][1]), "TEXT:emoji 😀 and ' quote");
    EXPECT_NE(log.Text().find(refusal), std::string::npos) << log.Text();
  }
  InjectIntoDouble("OCIAttrSet(OCI_ATTR_CHARSET_FORM)", -1 /* OCI_ERROR */, refusal);
  try {
    source.Execute(RowQuery(R"("ID","V_NAT")", "TYPES", "T_TEXTS"));
    ADD_FAILURE() << "the query succeeded without the national form";
  } catch (const SourceError& error) {
    EXPECT_EQ(error.Description().value_or(""), refusal);
  }
}

TEST_F(OciSessionTest, LargeTableArrivesInChunksOfArrayFetches) {
  OciRoute route(oracle_.SearchDirectory());
  SourceConnection source{StandardSourceProviders()};
  OpenThroughOci(source);
  ClearDoubleJournal();
  source.Execute(RowQuery(R"("ID","LABEL")", "TYPES", "T_MANY"));
  EXPECT_EQ(source.FieldCount(), 2);
  std::vector<std::size_t> blocks;
  long next = 1;
  while (!source.EndOfRows()) {
    const RowArray block = source.GetRows(500);
    blocks.push_back(block.RowCount());
    for (std::size_t row = 0; row < block.RowCount(); ++row, ++next) {
      ASSERT_EQ(block.At(0, row).ToText(), std::to_string(next));
      ASSERT_EQ(block.At(1, row).ToText(), "row " + std::to_string(next));
    }
  }
  EXPECT_EQ(blocks, (std::vector<std::size_t>{500, 500, 200}));
  try {
    source.GetRows(500);
    ADD_FAILURE() << "GetRows after the last row succeeded";
  } catch (const SourceError& error) {
    EXPECT_EQ(error.Code(), kCodeNoCurrentRecord);
  }
  // 1200 rows are five round trips of up to 256 rows, not 1200 single fetches.
  const std::string journal = DoubleJournal();
  std::size_t fetches = 0;
  for (std::size_t at = journal.find("FETCH 256 "); at != std::string::npos;
       at = journal.find("FETCH 256 ", at + 1))
    ++fetches;
  EXPECT_EQ(fetches, 5u) << journal;
  EXPECT_NE(journal.find("FETCH 256 176\n"), std::string::npos) << journal;
}

struct ErrorCase {
  const char* name;
  const char* service;  // empty: the fixture's
  const char* password;
  const char* sql;  // run after the logon; null: the logon is expected to fail
  const char* description;
  const char* keyword;  // what the connection step looks for
};

TEST_F(OciSessionTest, OracleErrorsArriveThroughTheErrorHandle) {
  const ErrorCase cases[] = {
      {"unknown service", "NO_SUCH_SERVICE", "types_pw", nullptr,
       "ORA-12154: TNS:could not resolve the connect identifier specified", "could not"},
      {"wrong password", "", "wrong", nullptr, "ORA-01017: invalid username/password; logon denied",
       "invalid username/password"},
      {"unknown table", "", "types_pw", "Select \"ID\" from \"TYPES\".\"NO_SUCH_TABLE\" w",
       "ORA-00942: table or view does not exist", "ORA-00942"},
      {"unknown column", "", "types_pw", "Select \"NOPE\" from \"TYPES\".\"T_LOBS\" w",
       "ORA-00904: ", "invalid identifier"},
  };
  OciRoute route(oracle_.SearchDirectory());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string service = *c.service ? c.service : Service();
    SourceConnection source{StandardSourceProviders()};
    source.Create();
    try {
      source.Open(ConnectionString(service, "types", c.password), "types", c.password,
                  kConnectUnspecified);
      if (!c.sql) {
        ADD_FAILURE() << "the logon succeeded";
        continue;
      }
      source.Execute("select table_name from user_tables");
      source.Execute(c.sql);
      ADD_FAILURE() << "the statement succeeded";
    } catch (const SourceError& error) {
      EXPECT_EQ(error.Source(), std::optional<std::string>("Oracle Call Interface"));
      EXPECT_EQ(error.Code(), kCodeUnspecifiedError);
      EXPECT_EQ(error.Description().value_or("").rfind(c.description, 0), 0u)
          << error.Description().value_or("");
      EXPECT_NE(FormatSourceError(error).find(c.keyword), std::string::npos);
      if (c.sql) {
        // A failed statement leaves the previous result current.
        EXPECT_FALSE(source.EndOfRows());
        EXPECT_EQ(source.FieldCount(), 1);
      }
    }
  }
}

// A call that succeeds with information has succeeded: the logon and the read go on, and
// Oracle's text reaches the log.
TEST_F(OciSessionTest, SuccessWithInformationIsASuccessAndItsTextIsLogged) {
  struct Case {
    const char* call;
    const char* message;
  };
  const Case cases[] = {
      {"OCIEnvNlsCreate", "ORA-01805: possible error in date/time operation"},
      {"OCISessionBegin", "ORA-28002: the password will expire within 7 days"},
      {"OCIStmtFetch2", "ORA-24347: Warning of a NULL column in an aggregate function"},
      {"OCILobRead2", "ORA-00000: a note of the test double on a LOB read"},
  };
  OciRoute route(oracle_.SearchDirectory());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.call);
    ClearDoubleJournal();
    InjectIntoDouble(c.call, 1 /* OCI_SUCCESS_WITH_INFO */, c.message);
    ClogCapture log;
    try {
      SourceConnection source{StandardSourceProviders()};
      OpenThroughOci(source);
      EXPECT_EQ(AllRows(source, RowQuery(R"("ID")", "TYPES", "T_MANY")).size(), 1200u);
      const auto rows = AllRows(source, RowQuery(R"("ID","C")", "TYPES", "T_LOBS"));
      ASSERT_EQ(rows.size(), 4u);
      EXPECT_EQ(Shown(rows[3][1]), "TEXT:line1\nline2");
    } catch (const SourceError& error) {
      ADD_FAILURE() << FormatSourceError(error);
    }
    EXPECT_NE(log.Text().find(std::string("Oracle Call Interface: ") + c.message + "\n"),
              std::string::npos)
        << log.Text();
  }
}

// Before there is an error handle, the environment handle holds Oracle's reason.
TEST_F(OciSessionTest, AFailedEnvironmentShowsTheMessageOfTheEnvironmentHandle) {
  OciRoute route(oracle_.SearchDirectory());
  ClearDoubleJournal();
  const std::string reason =
      "ORA-12705: Cannot access NLS data files or invalid environment specified";
  InjectIntoDouble("OCIEnvNlsCreate", -1 /* OCI_ERROR */, reason);
  SourceConnection source{StandardSourceProviders()};
  try {
    OpenThroughOci(source);
    ADD_FAILURE() << "the logon succeeded";
  } catch (const SourceError& error) {
    EXPECT_EQ(error.Source(), std::optional<std::string>("Oracle Call Interface"));
    const std::string description = error.Description().value_or("");
    EXPECT_NE(description.find("failed to set up its environment"), std::string::npos)
        << description;
    EXPECT_TRUE(description.ends_with(": " + reason)) << description;
  }
}

// No client library: the logon says so, where it looked, and where embedded instances are.
TEST_F(OciSessionTest, MissingClientLibraryIsNamedWithEveryPlaceSearched) {
  ScratchDirectory embedded("skerrow-oci-embedded");
  ScratchDirectory oracleHome("skerrow-oci-home");
  ScopedVariable path("SKERROW_ORACLE_PATH", embedded.Path().string());
  ScopedVariable home("ORACLE_HOME", oracleHome.Path().string());
  struct Case {
    std::optional<std::string> library;
    std::vector<std::string> named;
  };
  const std::string missing = (oracleHome.Path() / "nowhere" / "libclntsh.so").string();
  const Case cases[] = {
      {missing, {missing + " (from SKERROW_OCI_LIBRARY)"}},
      {std::nullopt,
       {"Looked for libclntsh.so, libclntsh.so.23.1, libclntsh.so.21.1, libclntsh.so.20.1, "
        "libclntsh.so.19.1, libclntsh.so.18.1, libclntsh.so.12.1, libclntsh.so.11.1 in:\n  "
        "the library search path",
        (oracleHome.Path() / "lib").string() + " ($ORACLE_HOME/lib)",
        "/usr/lib/oracle/*/client64/lib", "/opt/oracle/*"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.library.value_or("(search)"));
    ScopedVariable library("SKERROW_OCI_LIBRARY", c.library);
    if (!c.library) {
      for (const char* name :
           {"libclntsh.so", "libclntsh.so.23.1", "libclntsh.so.21.1", "libclntsh.so.19.1"})
        if (void* real = ::dlopen(name, RTLD_LAZY | RTLD_LOCAL)) {
          ::dlclose(real);
          GTEST_SKIP() << "a real Oracle client library is installed on this machine";
        }
    }
    SourceConnection source{StandardSourceProviders()};
    source.Create();
    try {
      source.Open(ConnectionString("prod-db:1521/ORCL", "scott", "tiger"), "scott", "tiger",
                  kConnectUnspecified);
      ADD_FAILURE() << "the logon succeeded";
    } catch (const SourceError& error) {
      EXPECT_EQ(error.Code(), kCodeOracleClientNotFound);
      const std::string description = error.Description().value_or("");
      EXPECT_NE(description.find("Oracle's client library (libclntsh.so) was not found"),
                std::string::npos)
          << description;
      for (const auto& place : c.named)
        EXPECT_NE(description.find(place), std::string::npos) << place << "\n" << description;
      EXPECT_NE(description.find("SKERROW_ORACLE_PATH (" + embedded.Path().string() + ")"),
                std::string::npos)
          << description;
      EXPECT_NE(description.find("\"prod-db:1521/ORCL\""), std::string::npos) << description;
    }
  }
}

// An embedded instance of the name wins over the client library, which then is never loaded.
TEST_F(OciSessionTest, EmbeddedInstanceIsServedWithoutAnyClientLibrary) {
  ScopedVariable library("SKERROW_OCI_LIBRARY", "/nonexistent/libclntsh.so");
  SourceConnection source{StandardSourceProviders()};
  OpenEmbedded(source);
  try {
    source.Execute("Select \"ID\" from \"TYPES\".\"NO_SUCH_TABLE\" w");
    ADD_FAILURE() << "the statement succeeded";
  } catch (const SourceError& error) {
    EXPECT_EQ(error.Source(), std::optional<std::string>(oracle::kEmbeddedSourceName));
  }
}

}  // namespace
}  // namespace skerrow::test
