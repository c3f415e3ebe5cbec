// skerrow-cli's option parser on any command line: each NUL byte of the input separates two
// arguments. It must answer every command line with options, a help or version text, or a
// usage error, and never throw.
#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "cli/cli_options.h"
#include "fuzz_support.h"
#include "workflow/destination_database.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  skerrow::fuzz::InputReader input(data, size);
  std::vector<std::string> args;
  // A shell hands over far fewer arguments than this; more only repeat what these find.
  constexpr std::size_t kMaxArguments = 64;
  while (!input.Empty() && args.size() < kMaxArguments) args.emplace_back(input.Until('\0'));

  const auto parsed = skerrow::cli::ParseCliOptions(args);
  if (const auto* error = std::get_if<skerrow::cli::CliUsageError>(&parsed)) {
    skerrow::fuzz::Check(!error->message.empty(), "a usage error says what is wrong");
  } else if (const auto* options = std::get_if<skerrow::cli::CliOptions>(&parsed)) {
    skerrow::fuzz::Check(options->allTables || options->listTables || !options->tables.empty(),
                         "accepted options say what to convert");
    if (options->database) skerrow::CheckDestinationName(*options->database);
  }
  return 0;
}
