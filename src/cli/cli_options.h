#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace skerrow::cli {

// What the command line asked for. Absent passwords are looked up later (environment, prompt).
struct CliOptions {
  std::string oracleService;
  std::string oracleUser;
  std::optional<std::string> oraclePassword;
  std::string mysqlServer = "localhost";
  std::string mysqlLogin;
  std::optional<std::string> mysqlPassword;
  // Absent: the service name, as the wizard proposes it.
  std::optional<std::string> database;
  std::vector<std::string> tables;
  bool allTables = false;
  bool listTables = false;
  bool overwrite = false;
  bool oneStatementPerRow = false;
  // Tables converted at the same time (--jobs; "auto" gives the number of cores).
  int jobs = 1;
  // Read every copied table back and compare it with its source.
  bool verify = false;
  // Only compare the tables of a database converted earlier with their source.
  bool verifyOnly = false;
  std::optional<std::string> reportFile;
  bool quiet = false;
};

// --help or --version: print this text and stop with status 0.
struct CliInfoRequest {
  std::string text;
};

// The arguments could not be used; the message says why.
struct CliUsageError {
  std::string message;
};

using CliParseResult = std::variant<CliOptions, CliInfoRequest, CliUsageError>;

// The most tables --jobs converts at the same time: each holds two connections and a block of
// rows, and a server has only so many connections to give.
inline constexpr int kMaxJobs = 64;

// The cores this process may run on (at least 1).
int CoreCount();

// Parses the arguments after the program name. Options take their value as the next argument
// (even one that starts with "-": passwords may) or after "=" (--database=sales). A misspelt
// option is refused with the name it most likely meant.
CliParseResult ParseCliOptions(const std::vector<std::string>& args);

// The --help text: the options in their groups, with their defaults.
std::string CliUsageText();
std::string CliVersionText();

}  // namespace skerrow::cli
