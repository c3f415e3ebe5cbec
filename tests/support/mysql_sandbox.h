#pragma once

#include <optional>
#include <string>
#include <vector>

struct st_mysql;

namespace skerrow::test {

// The private MariaDB server the test run started (scripts/mariadb-sandbox), read from the
// SKERROW_TEST_MYSQL_* environment variables. Tests that need it fail when it is missing.
struct MySqlSandbox {
  std::string host;
  int port = 0;
  std::string user;
  std::string password;
  std::string otherUser;
  std::string otherPassword;

  // Fails the current test (and returns nullopt) when the variables are not set.
  static std::optional<MySqlSandbox> FromEnvironment();
};

// Fetches the sandbox or fails the test: `auto sandbox = RequireSandbox(); if (!sandbox) return;`
std::optional<MySqlSandbox> RequireSandbox();

using ResultRow = std::vector<std::optional<std::string>>;

// A plain client connection straight to the sandbox, used by tests to prepare databases and to
// read back what the converter wrote. Independent of the converter's own TargetConnection.
class MySqlProbe {
 public:
  explicit MySqlProbe(const MySqlSandbox& sandbox);
  ~MySqlProbe();
  MySqlProbe(const MySqlProbe&) = delete;
  MySqlProbe& operator=(const MySqlProbe&) = delete;

  bool Connected() const { return connected_; }
  const std::string& Error() const { return error_; }

  // Runs a statement; false (with Error()) on failure.
  bool Execute(const std::string& sql);
  // Runs a query and returns its rows (NULL as nullopt); nullopt on failure.
  std::optional<std::vector<ResultRow>> Query(const std::string& sql);
  // The single value of a one-row, one-column query; nullopt for NULL or failure.
  std::optional<std::string> Scalar(const std::string& sql);

  // A database name unique to this test process and the given stem, dropped when the probe
  // is destroyed.
  std::string ScratchDatabase(const std::string& stem);

 private:
  st_mysql* handle_ = nullptr;
  bool connected_ = false;
  std::string error_;
  std::vector<std::string> scratch_;
};

}  // namespace skerrow::test
