// Every fixture, converted the way an operator converts it (the whole workflow, the real
// embedded Oracle and the real MariaDB sandbox), gives exactly the MySQL contents and the run
// report recorded in tests/golden. A change to what a conversion stores fails here; a change
// made on purpose rewrites the files with
//
//   SKERROW_UPDATE_GOLDEN=1 scripts/test -R FixtureDump
//
// and the new files are committed with it.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/fixture_users.h"
#include "support/golden_files.h"
#include "support/mysql_dump.h"
#include "workflow_session.h"

namespace skerrow::test {
namespace {

bool UpdatingGoldenFiles() {
  const char* update = std::getenv("SKERROW_UPDATE_GOLDEN");
  return update != nullptr && *update != '\0' && std::string(update) != "0";
}

void WriteFile(const std::filesystem::path& path, const std::string& text) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << text;
  ASSERT_TRUE(file.good()) << "could not write " << path;
}

class FixtureDumpTest : public ::testing::TestWithParam<FixtureUser> {};

TEST_P(FixtureDumpTest, ConvertsToTheRecordedMySqlContents) {
  const FixtureUser& conversion = GetParam();
  const auto loadedAt = std::chrono::system_clock::now();
  WorkflowSession session("GOLDEN", {conversion.script});
  ASSERT_TRUE(session.Ready()) << session.NotReadyReason();
  ASSERT_TRUE(session.Next(conversion.user, conversion.password))
      << (session.Window().Messages().empty() ? std::string("no message")
                                              : session.Window().Messages().back().text);
  session.Check();
  const std::string database = session.ScratchDatabase("golden_" + conversion.user);
  session.Convert(database);
  session.State().Target.Close();

  const std::string actual =
      CanonicalDump(session.Probe(), database, loadedAt) + ShowReport(session.State().Report);
  const std::filesystem::path golden = GoldenFile(conversion);
  if (UpdatingGoldenFiles()) {
    WriteFile(golden, actual);
    return;
  }
  ASSERT_TRUE(std::filesystem::exists(golden))
      << golden << " is missing; SKERROW_UPDATE_GOLDEN=1 scripts/test -R FixtureDump writes it";
  const std::filesystem::path written =
      std::filesystem::path(SKERROW_BINARY_DIR) / "golden-actual" / golden.filename();
  WriteFile(written, actual);
  EXPECT_EQ(actual, ReadWholeFile(golden)) << "what this build gives is in " << written;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, FixtureDumpTest, ::testing::ValuesIn(EveryFixtureUser()),
                         [](const ::testing::TestParamInfo<FixtureUser>& param) {
                           return std::filesystem::path(param.param.script).stem().string() + "_" +
                                  param.param.user;
                         });

// A fixture added without its users here would never be compared.
TEST(FixtureDump, CoversEveryFixture) {
  std::set<std::string> covered;
  for (const auto& conversion : EveryFixtureUser()) covered.insert(conversion.script);
  for (const auto& [script, reason] : FixturesNotRecorded()) covered.insert(script);
  for (const auto& entry : std::filesystem::directory_iterator(SKERROW_FIXTURE_DIR)) {
    if (entry.path().extension() != ".sql") continue;
    EXPECT_TRUE(covered.count(entry.path().filename().string()))
        << entry.path().filename() << " has no conversion in the golden comparison";
  }
}

}  // namespace
}  // namespace skerrow::test
