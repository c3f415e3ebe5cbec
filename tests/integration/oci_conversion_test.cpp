// The acceptance comparison: every fixture converts through the OCI path (the provider over
// the test double of Oracle's client library) to the same MySQL contents as through the
// embedded provider. Both runs go through the whole workflow with a recording window.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "oci_double_support.h"
#include "support/fixture_users.h"
#include "support/mysql_sandbox.h"
#include "support/oracle_fixture.h"
#include "support/recording_window.h"
#include "workflow/connection_step.h"
#include "workflow/control_ids.h"
#include "workflow/conversion_run.h"
#include "workflow/conversion_state.h"

namespace skerrow::test {
namespace {

// Next, check every table, Convert: what an operator does, into `database`, `jobs` tables at
// a time.
void Convert(const MySqlSandbox& sandbox, const std::string& service, const FixtureUser& c,
             const std::string& database, std::vector<std::string>& tablesListed, int jobs = 1) {
  ConversionState state;
  state.Jobs = jobs;
  RecordingWindow window;
  window.SetField(kServiceNameEdit, service);
  window.SetField(kOracleUserEdit, c.user);
  window.SetField(kOraclePasswordEdit, c.password);
  window.SetField(kMySqlServerEdit, sandbox.host);
  window.SetField(kMySqlLoginEdit, sandbox.user);
  window.SetField(kMySqlPasswordEdit, sandbox.password);
  ConnectAndListTables(state, window);
  ASSERT_EQ(window.Page(), 2) << (window.Messages().empty() ? std::string("no message")
                                                            : window.Messages().back().text);
  tablesListed = window.TableItems();
  for (std::size_t i = 0; i < tablesListed.size(); ++i)
    window.SetTableChecked(static_cast<int>(i), true);
  window.SetField(kDestinationNameEdit, database);
  RunConversion(state, window);
  state.Target.Close();
}

// Everything MySQL holds for a database: each column's definition, then each table's rows in
// a stable order.
std::vector<std::string> Contents(MySqlProbe& probe, const std::string& database) {
  std::vector<std::string> lines;
  const auto columns = probe.Query(
      "SELECT table_name, column_name, ordinal_position, column_type, is_nullable, "
      "column_default, column_key, character_set_name FROM information_schema.columns WHERE "
      "table_schema = '" +
      database + "' ORDER BY table_name, ordinal_position");
  if (!columns) return {"columns: " + probe.Error()};
  std::vector<std::string> tables;
  for (const auto& row : *columns) {
    std::string line = "column";
    for (const auto& value : row) line += "|" + value.value_or("<NULL>");
    lines.push_back(line);
    if (tables.empty() || tables.back() != row[0].value_or(""))
      tables.push_back(row[0].value_or(""));
  }
  for (const auto& table : tables) {
    const auto rows = probe.Query("SELECT * FROM `" + database + "`.`" + table + "`");
    if (!rows) {
      lines.push_back("rows of " + table + ": " + probe.Error());
      continue;
    }
    std::vector<std::string> texts;
    for (const auto& row : *rows) {
      std::string text = "row|" + table;
      for (const auto& value : row) text += "|" + (value ? "'" + *value + "'" : "<NULL>");
      texts.push_back(text);
    }
    std::sort(texts.begin(), texts.end());
    lines.insert(lines.end(), texts.begin(), texts.end());
  }
  return lines;
}

class OciConversionTest : public ::testing::TestWithParam<FixtureUser> {};

TEST_P(OciConversionTest, ConvertsToTheSameMySqlContentsAsTheEmbeddedProvider) {
  const auto sandbox = RequireSandbox();
  if (!sandbox) return;
  MySqlProbe probe(*sandbox);
  ASSERT_TRUE(probe.Connected()) << probe.Error();
  const FixtureUser& conversion = GetParam();
  const std::string stem = "oci_" + conversion.user;
  const std::string viaEmbedded = probe.ScratchDatabase(stem + "_embedded");
  const std::string viaOci = probe.ScratchDatabase(stem + "_oci");

  OracleFixture oracle("OCICONV" + std::to_string(::getpid()), {conversion.script});
  ASSERT_TRUE(oracle.Ok()) << oracle.Error();
  std::vector<std::string> embeddedTables;
  std::vector<std::string> ociTables;
  Convert(*sandbox, oracle.Service(), conversion, viaEmbedded, embeddedTables);
  {
    OciRoute route(oracle.SearchDirectory());
    ClearDoubleJournal();
    Convert(*sandbox, oracle.Service(), conversion, viaOci, ociTables);
    // The second run really went through the client library.
    EXPECT_NE(DoubleJournal().find("EXECUTE select table_name from user_tables"),
              std::string::npos);
  }
  EXPECT_FALSE(embeddedTables.empty());
  EXPECT_EQ(ociTables, embeddedTables);

  const auto expected = Contents(probe, viaEmbedded);
  const auto actual = Contents(probe, viaOci);
  // Rows were copied at all, so that equal contents mean something.
  EXPECT_TRUE(std::any_of(expected.begin(), expected.end(),
                          [](const std::string& line) { return line.starts_with("row|"); }));
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(actual[i], expected[i]);
}

// Three tables at a time through the client library: each job logs on with a session of its
// own, and the contents are those of one table at a time through the embedded provider.
TEST(OciParallelConversionTest, SessionsOfTheirOwnGiveTheSameContents) {
  const auto sandbox = RequireSandbox();
  if (!sandbox) return;
  MySqlProbe probe(*sandbox);
  ASSERT_TRUE(probe.Connected()) << probe.Error();
  const FixtureUser conversion{"classic.sql", "scott", "tiger"};
  const std::string viaEmbedded = probe.ScratchDatabase("oci_jobs_embedded");
  const std::string viaOci = probe.ScratchDatabase("oci_jobs_oci");
  OracleFixture oracle("OCIJOBS" + std::to_string(::getpid()), {conversion.script});
  ASSERT_TRUE(oracle.Ok()) << oracle.Error();
  std::vector<std::string> embeddedTables;
  std::vector<std::string> ociTables;
  Convert(*sandbox, oracle.Service(), conversion, viaEmbedded, embeddedTables);
  std::string journal;
  {
    OciRoute route(oracle.SearchDirectory());
    ClearDoubleJournal();
    Convert(*sandbox, oracle.Service(), conversion, viaOci, ociTables, 3);
    journal = DoubleJournal();
  }
  ASSERT_EQ(ociTables, embeddedTables);
  ASSERT_GE(ociTables.size(), 3u);
  std::size_t logons = 0;
  for (std::size_t at = journal.find("LOGON "); at != std::string::npos;
       at = journal.find("LOGON ", at + 1))
    ++logons;
  EXPECT_EQ(logons, 3u) << journal;
  EXPECT_EQ(Contents(probe, viaOci), Contents(probe, viaEmbedded));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, OciConversionTest,
                         ::testing::Values(FixtureUser{"classic.sql", "scott", "tiger"},
                                           FixtureUser{"exact_values.sql", "exact", "exact_pw"},
                                           FixtureUser{"keys.sql", "shop", "shop_pw"},
                                           FixtureUser{"keys.sql", "store", "store_pw"},
                                           FixtureUser{"names.sql", "odd", "odd_pw"},
                                           FixtureUser{"sample_style.sql", "hrs", "hrs_pw"},
                                           FixtureUser{"types.sql", "types", "types_pw"}),
                         [](const ::testing::TestParamInfo<FixtureUser>& param) {
                           return param.param.user;
                         });

}  // namespace
}  // namespace skerrow::test
