#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "db/row_array.h"
#include "db/source_connection.h"
#include "oracle/loader/script_loader.h"

namespace skerrow::test {

// The path of a fixture script in tests/fixtures ("classic.sql").
std::filesystem::path FixtureScript(const std::string& name);

// The connection string the connection step builds for a service, user and password.
std::string OracleConnectionString(const std::string& service, const std::string& user,
                                   const std::string& password);

// Creates and opens `connection` the way the connection step does (raises SourceError).
void OpenOracle(SourceConnection& connection, const std::string& service, const std::string& user,
                const std::string& password);

// A value with its kind, for comparing fetched rows in tests: "NULL", "EMPTY", "TEXT:abc",
// "DECIMAL:-12.5", "DOUBLE:22", "DATE:2024-01-15 00:00:00", "BYTES:00FF" (hex).
std::string ShowValue(const Variant& value);
// Every row of a fetched block, its fields shown as above and joined by " | ".
std::vector<std::string> ShowRows(const RowArray& rows);
// Executes `sql` and fetches all rows, shown as above; no rows gives an empty list.
std::vector<std::string> QueryRows(SourceConnection& connection, const std::string& sql);

// A fresh embedded Oracle instance for one test: created under a new temporary directory
// (unique to this process), loaded from the given fixture scripts (names in tests/fixtures, or
// absolute paths), and made the only directory of SKERROW_ORACLE_PATH. The destructor restores
// SKERROW_ORACLE_PATH and removes the directory. A failure to create or load fails the current
// test; check Ok() before using the instance.
//
//   OracleFixture oracle("CLASSIC", {"classic.sql"});
//   ASSERT_TRUE(oracle.Ok()) << oracle.Error();
//   connection.Open("Provider=MSDAORA.1;Data Source=CLASSIC;...", "SCOTT", "tiger", ...);
class OracleFixture {
 public:
  OracleFixture(const std::string& service, const std::vector<std::string>& scripts);
  ~OracleFixture();
  OracleFixture(const OracleFixture&) = delete;
  OracleFixture& operator=(const OracleFixture&) = delete;

  bool Ok() const { return error_.empty(); }
  const std::string& Error() const { return error_; }
  const std::string& Service() const { return service_; }
  // The directory on SKERROW_ORACLE_PATH, and the instance directory inside it.
  const std::filesystem::path& SearchDirectory() const { return root_; }
  std::filesystem::path InstanceDirectory() const { return root_ / service_; }
  const std::vector<oracle::ScriptNotice>& Notices() const { return notices_; }

  // Loads a further script (also a text) into the instance; false (with Error()) on failure.
  bool Load(const std::string& script);
  bool LoadText(const std::string& text, const std::string& name = "inline.sql");

 private:
  std::string service_;
  std::filesystem::path root_;
  std::optional<std::string> previousPath_;
  std::vector<oracle::ScriptNotice> notices_;
  std::string error_;
};

}  // namespace skerrow::test
