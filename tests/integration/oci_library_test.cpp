// Where the OCI provider looks for Oracle's client library: the names Instant Client installs
// (with and without the development link), folders by version number, and a library found only
// under a versioned name actually serving a logon.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "db/source_connection.h"
#include "oci/oci_library.h"
#include "oci_double_support.h"
#include "providers/source_providers.h"
#include "support/oracle_fixture.h"

namespace skerrow::test {
namespace {

namespace fs = std::filesystem;

void Touch(const fs::path& file) {
  fs::create_directories(file.parent_path());
  std::ofstream(file) << "not a library";
}

bool RealClientOnSearchPath() {
  for (const auto& name : oci::OciLibraryNames())
    if (void* real = ::dlopen(name.c_str(), RTLD_LAZY | RTLD_LOCAL)) {
      ::dlclose(real);
      return true;
    }
  return false;
}

TEST(OciLibrarySearch, TriesTheDevelopmentLinkThenVersionedNamesNewestFirst) {
  const std::vector<std::string> expected = {
      "libclntsh.so",      "libclntsh.so.23.1", "libclntsh.so.21.1", "libclntsh.so.20.1",
      "libclntsh.so.19.1", "libclntsh.so.18.1", "libclntsh.so.12.1", "libclntsh.so.11.1"};
  EXPECT_EQ(oci::OciLibraryNames(), expected);

  // The library search path is asked for every name, in that order.
  oci::LibrarySearch search;
  const auto candidates = oci::OciLibraryCandidates(search);
  ASSERT_GE(candidates.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(candidates[i].file, expected[i]);
    EXPECT_EQ(candidates[i].shownAs, "the library search path (LD_LIBRARY_PATH, ld.so.conf)");
  }
}

// Installation folders: the highest version number first (21_13 is newer than 21_9, which a
// text sort gets wrong), in each folder the development link first, then the newest versioned
// name; folders without a library and files that only look like one are passed over.
TEST(OciLibrarySearch, InstallationFoldersAreOrderedByVersionNumbers) {
  ScratchDirectory root("skerrow-oci-clients");
  ScratchDirectory home("skerrow-oci-home");
  const fs::path& r = root.Path();
  for (const char* file :
       {"instantclient_21_9/libclntsh.so.21.1", "instantclient_21_13/libclntsh.so.21.1",
        "instantclient_21_13/libclntsh.so", "instantclient_19_22/libclntsh.so.19.1",
        "instantclient_12_2/libclntsh.so.12.1", "instantclient_23_4/libclntsh.so.26.1",
        "instantclient_23_4/libclntsh.so.23.1", "instantclient_18_5/libclntsh.so.bak",
        "instantclient_18_5/README", "sqldeveloper/libclntsh.sox"})
    Touch(r / file);
  Touch(home.Path() / "lib" / "libclntsh.so.19.1");

  oci::LibrarySearch search;
  search.oracleHome = home.Path();
  search.roots = {{r, "", "clients/*"}};
  std::vector<std::string> files;
  for (const auto& candidate : oci::OciLibraryCandidates(search))
    if (candidate.file.find('/') != std::string::npos) files.push_back(candidate.file);
  const std::vector<std::string> expected = {
      (home.Path() / "lib" / "libclntsh.so.19.1").string(),
      // A release newer than the names this program knows still counts.
      (r / "instantclient_23_4" / "libclntsh.so.26.1").string(),
      (r / "instantclient_23_4" / "libclntsh.so.23.1").string(),
      (r / "instantclient_21_13" / "libclntsh.so").string(),
      (r / "instantclient_21_13" / "libclntsh.so.21.1").string(),
      (r / "instantclient_21_9" / "libclntsh.so.21.1").string(),
      (r / "instantclient_19_22" / "libclntsh.so.19.1").string(),
      (r / "instantclient_12_2" / "libclntsh.so.12.1").string(),
  };
  EXPECT_EQ(files, expected);
}

// Instant Client without the development link: only libclntsh.so.19.1 in $ORACLE_HOME/lib. The
// logon goes through it (the test double under that name).
TEST(OciLibrarySearch, LibraryInstalledUnderAVersionedNameOnlyServesTheLogon) {
  if (RealClientOnSearchPath()) GTEST_SKIP() << "a real Oracle client library is installed";
  OracleFixture oracle("OCILIB" + std::to_string(::getpid()), {"classic.sql"});
  ASSERT_TRUE(oracle.Ok()) << oracle.Error();
  ScratchDirectory home("skerrow-oci-home");
  fs::create_directories(home.Path() / "lib");
  fs::create_symlink(SKERROW_OCI_DOUBLE_LIBRARY, home.Path() / "lib" / "libclntsh.so.19.1");

  OciRoute route(oracle.SearchDirectory());
  ScopedVariable noOverride("SKERROW_OCI_LIBRARY", std::nullopt);
  ScopedVariable oracleHome("ORACLE_HOME", home.Path().string());
  SourceConnection source{StandardSourceProviders()};
  try {
    OpenOracle(source, oracle.Service(), "scott", "tiger");
  } catch (const SourceError& error) {
    FAIL() << FormatSourceError(error);
  }
  EXPECT_FALSE(QueryRows(source, "select table_name from user_tables").empty());
}

}  // namespace
}  // namespace skerrow::test
