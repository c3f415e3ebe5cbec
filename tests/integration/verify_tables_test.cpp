// Every fixture, converted with its tables read back (--verify), verifies without a difference,
// and so does a later run that only compares (--verify-only); tables without a key, with
// duplicate rows and with large LOBs included.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

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
  }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, VerifyFixturesTest, ::testing::ValuesIn(EveryFixtureUser()),
                         [](const ::testing::TestParamInfo<FixtureUser>& param) {
                           return std::filesystem::path(param.param.script).stem().string() + "_" +
                                  param.param.user;
                         });

}  // namespace
}  // namespace skerrow::test
