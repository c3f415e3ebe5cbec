#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli/run_cli.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return skerrow::cli::RunCli(args, {std::cout, std::cerr, isatty(STDOUT_FILENO) == 1});
}
