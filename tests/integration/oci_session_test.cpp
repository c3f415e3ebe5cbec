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

// Every row of a statement, fetched the way the workflow fetches (all at once).
std::vector<std::vector<Variant>> AllRows(SourceConnection& source, const std::string& sql) {
  source.Execute(sql);
  std::vector<std::vector<Variant>> rows;
  if (source.EndOfRows()) return rows;
  const RowArray block = source.GetRows();
  for (std::size_t row = 0; row < block.RowCount(); ++row) {
    std::vector<Variant> values;
    for (std::size_t field = 0; field < block.FieldCount(); ++field)
      values.push_back(block.At(field, row));
    rows.push_back(std::move(values));
  }
  return rows;
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
    script += " || 'end');\nCOMMIT;\n";
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
                              "NLS_TIMESTAMP_FORMAT = 'YYYY-MM-DD HH24:MI:SS.FF6'",
                              "NLS_TIMESTAMP_TZ_FORMAT = 'YYYY-MM-DD HH24:MI:SS.FF6 TZH:TZM'",
                              "NLS_NUMERIC_CHARACTERS = '.,'"})
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
  EXPECT_NE(DoubleJournal().find("LOBREAD 2\n"), std::string::npos) << DoubleJournal();
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
       {"the library search path", (oracleHome.Path() / "lib").string() + " ($ORACLE_HOME/lib)",
        "/usr/lib/oracle/*/client64/lib", "/opt/oracle/*"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.library.value_or("(search)"));
    ScopedVariable library("SKERROW_OCI_LIBRARY", c.library);
    if (!c.library) {
      if (void* real = ::dlopen("libclntsh.so", RTLD_LAZY | RTLD_LOCAL)) {
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
