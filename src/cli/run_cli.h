#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace skerrow::cli {

enum ExitStatus : int {
  kExitConverted = 0,  // every checked table converted with every row
  kExitCompletedWithErrors = 1,
  kExitNotRun = 2,  // bad options, a failed connection, a refused destination
};

struct CliStreams {
  std::ostream& out;
  std::ostream& err;
  bool outIsTerminal = false;
};

// The whole command: parses `args` (without the program name), connects and lists the tables
// through the connection step, checks the tables asked for and runs the conversion on this
// thread; prints the report and returns the exit status.
int RunCli(const std::vector<std::string>& args, CliStreams streams);

}  // namespace skerrow::cli
