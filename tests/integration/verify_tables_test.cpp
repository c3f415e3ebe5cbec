// Every fixture, converted with its tables read back (--verify), verifies without a difference,
// and so does a later run that only compares (--verify-only); tables without a key, with
// duplicate rows and with large LOBs included.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "db/variant.h"
#include "oci_double_support.h"
#include "oracle/embedded_instance.h"
#include "text/hex.h"

#include "support/fixture_users.h"
#include "workflow/report_notes.h"
#include "workflow/table_verify.h"
#include "workflow_session.h"

namespace skerrow::test {
namespace {

std::string Differences(const TableReport& table) {
  std::string text = table.sourceName + ": " + VerificationSummary(*table.verification) + "\n";
  for (const auto& difference : table.verification->differences)
    text += "  " + VerificationDifferenceText(difference) + "\n";
  return text;
}

// Checks every created table's verification. Without the copy's report (`afterCopy` false) a
// row the server refused during the copy is missing in MySQL, and counted so.
void ExpectVerifiedWithoutDifferences(const RunReport& report, bool afterCopy) {
  ASSERT_FALSE(report.tables.empty());
  for (const TableReport& table : report.tables) {
    SCOPED_TRACE(table.sourceName);
    // A copy that ended early is reported as such and not verified.
    if (!table.createdName || table.abandoned) continue;
    ASSERT_TRUE(table.verification.has_value());
    const TableVerification& verification = *table.verification;
    EXPECT_FALSE(verification.error) << verification.error.value_or("");
    EXPECT_EQ(verification.mismatches, 0) << Differences(table);
    EXPECT_EQ(verification.rowsMissingInSource, 0) << Differences(table);
    if (afterCopy) {
      EXPECT_EQ(verification.rowsMissingInTarget, 0) << Differences(table);
      EXPECT_EQ(verification.sourceRows, table.rowsRead);
      EXPECT_EQ(verification.targetRows, table.rowsWritten);
    }
    if (verification.refusedRows == 0 && verification.rowsMissingInTarget == 0) {
      EXPECT_EQ(verification.sourceDigest, verification.targetDigest);
    }
  }
}

class VerifyFixturesTest : public ::testing::TestWithParam<FixtureUser> {};

TEST_P(VerifyFixturesTest, ConvertsAndVerifiesWithoutADifferenceThenAgainWithoutTheCopy) {
  const FixtureUser& fixture = GetParam();
  WorkflowSession session("VERIFY", {fixture.script});
  ASSERT_TRUE(session.Ready()) << session.NotReadyReason();
  ASSERT_TRUE(session.Next(fixture.user, fixture.password));
  session.Check();
  const std::string database = session.ScratchDatabase("verify_" + fixture.user);
  session.State().VerifyTables = true;
  session.Convert(database);
  const RunReport converted = session.State().Report;
  ExpectVerifiedWithoutDifferences(converted, true);

  // A later run compares the same tables and finds the same digests.
  session.Check();
  RunVerification(session.State(), session.Window());
  const RunReport checked = session.State().Report;
  EXPECT_TRUE(checked.verifyOnly);
  ExpectVerifiedWithoutDifferences(checked, false);
  ASSERT_EQ(checked.tables.size(), converted.tables.size());
  for (std::size_t i = 0; i < checked.tables.size(); ++i) {
    const TableReport& table = converted.tables[i];
    if (!table.verification || !checked.tables[i].verification) continue;
    if (*table.createdName != table.sourceName) continue;
    SCOPED_TRACE(table.sourceName);
    EXPECT_EQ(checked.tables[i].verification->sourceDigest, table.verification->sourceDigest);
    EXPECT_EQ(checked.tables[i].verification->targetDigest, table.verification->targetDigest);
    // Without the copy's report, a value the DOUBLE holds as its nearest double is still
    // known as rounded, not a mismatch.
    if (table.rowsRefused == 0) {
      EXPECT_EQ(checked.tables[i].verification->roundedValues, table.roundedValues.count);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, VerifyFixturesTest, ::testing::ValuesIn(EveryFixtureUser()),
                         [](const ::testing::TestParamInfo<FixtureUser>& param) {
                           return std::filesystem::path(param.param.script).stem().string() + "_" +
                                  param.param.user;
                         });

const TableReport& TableNamed(const RunReport& report, const std::string& name) {
  for (const TableReport& table : report.tables)
    if (table.sourceName == name) return table;
  ADD_FAILURE() << "no table " << name;
  static const TableReport none;
  return none;
}

// Rows that pair only by their values (no key, the same row three times), 1 MiB LOBs, and a
// text key whose byte order is not the order MySQL returns the rows in: each verifies, and a
// deleted duplicate and one changed byte of a LOB are found.
TEST(VerifyTables, DuplicateRowsLargeLobsAndKeysInAnotherOrder) {
  WorkflowSession session("VERIFYSHAPES", {});
  ASSERT_TRUE(session.Ready()) << session.NotReadyReason();
  ASSERT_TRUE(session.Oracle().LoadText(
      "CREATE USER shapes IDENTIFIED BY shapes_pw;\n"
      "CONNECT shapes/shapes_pw\n"
      "CREATE TABLE dups (code VARCHAR2(5), amount NUMBER(5,2));\n"
      "INSERT INTO dups VALUES ('a', 1);\nINSERT INTO dups VALUES ('b', 2);\n"
      "INSERT INTO dups VALUES ('a', 1);\nINSERT INTO dups VALUES (NULL, NULL);\n"
      "INSERT INTO dups VALUES ('a', 1);\nINSERT INTO dups VALUES (NULL, NULL);\n"
      "CREATE TABLE lobs (lob_id NUMBER(10) PRIMARY KEY, data BLOB, text CLOB);\n"
      "CREATE TABLE words (word VARCHAR2(10) PRIMARY KEY, n NUMBER(3));\n"
      "INSERT INTO words VALUES ('cherry', 3);\nINSERT INTO words VALUES ('Banana', 2);\n"
      "INSERT INTO words VALUES ('apple', 1);\nINSERT INTO words VALUES ('_under', 4);\n"
      "COMMIT;\n"))
      << session.Oracle().Error();
  std::string random(1 << 20, '\0');
  std::mt19937 generator(23);
  for (char& byte : random) byte = static_cast<char>(generator() & 0xFF);
  std::string umlauts;
  while (umlauts.size() < (1u << 20)) umlauts += "\xC3\xBC";
  {
    auto instance = oracle::EmbeddedInstance::Open(session.Oracle().InstanceDirectory());
    instance->InsertRow(
        "SHAPES", "LOBS", {"LOB_ID", "DATA", "TEXT"},
        {Variant::FromDecimal("1"), Variant::FromBytes(random), Variant::FromText(umlauts)});
    instance->InsertRow("SHAPES", "LOBS", {"LOB_ID", "DATA", "TEXT"},
                        {Variant::FromDecimal("2"), Variant::FromBytes(""), Variant::FromText("")});
    instance->Commit();
  }
  ASSERT_TRUE(session.Next("shapes", "shapes_pw"));
  session.Check();
  const std::string database = session.ScratchDatabase("verify_shapes");
  session.State().VerifyTables = true;
  session.Convert(database);
  ExpectVerifiedWithoutDifferences(session.State().Report, true);
  const TableVerification& dups = *TableNamed(session.State().Report, "DUPS").verification;
  EXPECT_TRUE(dups.keyColumns.empty());
  EXPECT_EQ(dups.rowsCompared, 6);
  EXPECT_EQ(TableNamed(session.State().Report, "LOBS").verification->rowsCompared, 2);
  EXPECT_EQ(TableNamed(session.State().Report, "WORDS").verification->rowsCompared, 4);

  const std::string in = QuoteMySqlIdentifier(database) + ".";
  const std::string changed =
      text::HexOfBytes(std::string(1, static_cast<char>(random.back() ^ 1)));
  ASSERT_TRUE(session.Probe().Execute("UPDATE " + in + "LOBS SET DATA = CONCAT(LEFT(DATA, " +
                                      std::to_string(random.size() - 1) + "), X'" + changed +
                                      "') WHERE LOB_ID = 1"))
      << session.Probe().Error();
  ASSERT_TRUE(session.Probe().Execute("DELETE FROM " + in + "DUPS WHERE CODE = 'a' LIMIT 1"))
      << session.Probe().Error();
  session.Check();
  RunVerification(session.State(), session.Window());
  const RunReport& checked = session.State().Report;
  EXPECT_FALSE(checked.Succeeded());
  EXPECT_EQ(checked.TotalVerificationDifferences(), 2);

  const TableVerification& lobs = *TableNamed(checked, "LOBS").verification;
  EXPECT_EQ(lobs.mismatches, 1);
  ASSERT_EQ(lobs.differences.size(), 1u);
  EXPECT_EQ(lobs.differences[0].key, "LOB_ID=1");
  EXPECT_EQ(lobs.differences[0].column, "DATA");
  EXPECT_TRUE(lobs.differences[0].hex);
  EXPECT_NE(lobs.differences[0].sourceValue.value_or("").find("(1048576 bytes)"),
            std::string::npos);

  const TableVerification& shrunk = *TableNamed(checked, "DUPS").verification;
  EXPECT_EQ(shrunk.rowsCompared, 5);
  EXPECT_EQ(shrunk.rowsMissingInTarget, 1);
  ASSERT_EQ(shrunk.differences.size(), 1u);
  EXPECT_EQ(shrunk.differences[0].key, "(a, 1)");
  EXPECT_TRUE(TableNamed(checked, "WORDS").verification->Succeeded());
}

// Through Oracle's client library (its test double) the same tables verify, and the source's
// digests are the ones the embedded run gave: digests compare runs on any route.
TEST(VerifyTables, ThroughTheOciClientLibraryTheDigestsAreThoseOfTheEmbeddedRun) {
  const FixtureUser fixture{"exact_values.sql", "exact", "exact_pw"};
  WorkflowSession session("VERIFYOCI", {fixture.script});
  ASSERT_TRUE(session.Ready()) << session.NotReadyReason();
  ASSERT_TRUE(session.Next(fixture.user, fixture.password));
  session.Check();
  const std::string database = session.ScratchDatabase("verify_oci");
  session.State().VerifyTables = true;
  session.Convert(database);
  const RunReport embedded = session.State().Report;
  ExpectVerifiedWithoutDifferences(embedded, true);

  OciRoute route(session.Oracle().SearchDirectory());
  ClearDoubleJournal();
  ConversionState state;
  RecordingWindow window;
  window.SetField(kServiceNameEdit, session.Oracle().Service());
  window.SetField(kOracleUserEdit, fixture.user);
  window.SetField(kOraclePasswordEdit, fixture.password);
  window.SetField(kMySqlServerEdit, session.Sandbox().host);
  window.SetField(kMySqlLoginEdit, session.Sandbox().user);
  window.SetField(kMySqlPasswordEdit, session.Sandbox().password);
  ConnectAndListTables(state, window);
  ASSERT_EQ(window.Page(), 2);
  for (int i = 0; i < window.TableItemCount(); ++i) window.SetTableChecked(i, true);
  window.SetField(kDestinationNameEdit, database);
  RunVerification(state, window);
  EXPECT_NE(DoubleJournal().find("EXECUTE Select "), std::string::npos)
      << "the rows were not read through the client library";
  ExpectVerifiedWithoutDifferences(state.Report, false);
  ASSERT_EQ(state.Report.tables.size(), embedded.tables.size());
  for (std::size_t i = 0; i < embedded.tables.size(); ++i) {
    const TableReport& before = embedded.tables[i];
    if (!before.verification || !state.Report.tables[i].verification) continue;
    SCOPED_TRACE(before.sourceName);
    EXPECT_EQ(state.Report.tables[i].verification->sourceDigest, before.verification->sourceDigest);
    EXPECT_EQ(state.Report.tables[i].verification->targetDigest, before.verification->targetDigest);
  }
}

}  // namespace
}  // namespace skerrow::test
