// skerrow-oracle: creates, loads, queries and drops embedded Oracle instances.
#include <CLI/CLI.hpp>

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "db/connection_string.h"
#include "db/source_connection.h"
#include "oracle/embedded_instance.h"
#include "oracle/loader/script_loader.h"
#include "providers/source_providers.h"
#include "text/hex.h"

namespace {

constexpr const char* kUsage =
    "Usage:\n"
    "  skerrow-oracle load SERVICE SCRIPT... [--verbose] [--strict] [--continue-on-error]\n"
    "      Loads Oracle SQL scripts into the instance SERVICE, creating it in the first\n"
    "      directory of the search path when it does not exist. Ends with one line per script:\n"
    "      statements run, rows per table, what was skipped.\n"
    "  skerrow-oracle query SERVICE USER PASSWORD SQL\n"
    "      Runs one query as USER and prints its rows, one a line, fields separated by tabs,\n"
    "      each value with its kind (DECIMAL:12.5, TEXT:abc, DATE:..., BYTES:01FF, NULL).\n"
    "  skerrow-oracle drop SERVICE\n"
    "      Removes the instance SERVICE and everything in it.\n"
    "  skerrow-oracle --help, skerrow-oracle COMMAND --help\n"
    "\n"
    "Instances are looked up in the directories of SKERROW_ORACLE_PATH (separated by colons),\n"
    "by default $XDG_DATA_HOME/skerrow/oracle or ~/.local/share/skerrow/oracle.\n";

// How many skipped statements a load lists without --verbose.
constexpr std::size_t kSkippedShown = 5;

int UsageError(const std::string& message) {
  std::cerr << "skerrow-oracle: " << message << "\n\n" << kUsage;
  return 2;
}

std::string ShowValue(const skerrow::Variant& value) {
  using skerrow::VariantKind;
  std::string kind(skerrow::VariantKindName(value.Kind()));
  switch (value.Kind()) {
    case VariantKind::Null:
    case VariantKind::Empty:
      return kind;
    case VariantKind::ByteArray:
      return kind + ":" + skerrow::text::HexOfBytes(value.Data());
    case VariantKind::Date:
      return kind + ":" + value.AsDate().ToString();
    default: {
      std::string text = value.ToText().value_or("");
      // Keep one row on one line: tabs and line breaks inside values are shown escaped.
      std::string shown;
      for (char c : text) {
        if (c == '\t')
          shown += "\\t";
        else if (c == '\n')
          shown += "\\n";
        else if (c == '\r')
          shown += "\\r";
        else if (c == '\\')
          shown += "\\\\";
        else
          shown.push_back(c);
      }
      return kind + ":" + shown;
    }
  }
}

struct LoadOptions {
  std::string service;
  std::vector<std::string> scripts;
  bool verbose = false;
  bool strict = false;
  bool continueOnError = false;
};

int Load(const LoadOptions& options) {
  using namespace skerrow::oracle;
  std::unique_ptr<EmbeddedInstance> instance;
  if (auto directory = FindInstanceDirectory(options.service)) {
    instance = EmbeddedInstance::Open(*directory);
  } else {
    auto path = InstanceSearchPath();
    if (path.empty()) throw std::runtime_error("the instance search path is empty");
    std::filesystem::create_directories(path.front());
    instance = EmbeddedInstance::Create(path.front() / options.service);
    std::cout << "created instance " << options.service << " in " << path.front().string() << "\n";
  }
  ScriptLoader loader(*instance);
  loader.SetStrict(options.strict);
  loader.SetContinueOnError(options.continueOnError);
  int status = 0;
  for (const std::string& script : options.scripts) {
    LoadResult result;
    try {
      result = loader.LoadFile(script);
    } catch (const ScriptError& error) {
      if (!options.continueOnError) throw;
      std::cerr << "skerrow-oracle: " << error.what() << "\n";
      status = 1;
      continue;
    }
    std::size_t skippedShown = 0;
    for (const ScriptNotice& notice : result.notices) {
      if (notice.skipped && !options.verbose && skippedShown++ >= kSkippedShown) continue;
      std::cout << notice.ToString() << "\n";
    }
    if (skippedShown > kSkippedShown)
      std::cout << "... and " << skippedShown - kSkippedShown
                << " more skipped (--verbose lists them all)\n";
    for (const ScriptFailure& failure : result.failures)
      std::cerr << "skerrow-oracle: " << failure.ToString() << "\n";
    if (!result.failures.empty()) status = 1;
    std::cout << result.Summary(std::filesystem::path(script).filename().string()) << "\n";
  }
  return status;
}

int Query(const std::string& service, const std::string& user, const std::string& password,
          const std::string& sql) {
  skerrow::SourceConnection connection(skerrow::StandardSourceProviders());
  connection.Create();
  // Quoted where needed, so that a password holding ";Data Source=..." stays a password.
  connection.Open("Provider=MSDAORA.1;Password=" + skerrow::ConnectionStringQuoted(password) +
                      ";User ID=" + skerrow::ConnectionStringQuoted(user) + ";Data Source=" +
                      skerrow::ConnectionStringQuoted(service) + ";Persist Security Info=True",
                  user, password, skerrow::kConnectUnspecified);
  connection.Execute(sql);
  if (connection.EndOfRows()) {
    std::cerr << "(no rows)\n";
    return 0;
  }
  skerrow::RowArray rows = connection.GetRows();
  for (std::size_t row = 0; row < rows.RowCount(); ++row) {
    std::string line;
    for (std::size_t field = 0; field < rows.FieldCount(); ++field) {
      if (field) line += "\t";
      line += ShowValue(rows.At(field, row));
    }
    std::cout << line << "\n";
  }
  return 0;
}

int Drop(const std::string& service) {
  auto directory = skerrow::oracle::FindInstanceDirectory(service);
  if (!directory) {
    std::cerr << "skerrow-oracle: there is no instance " << service << " on the search path\n";
    return 1;
  }
  skerrow::oracle::EmbeddedInstance::Drop(*directory);
  std::cout << "dropped instance " << service << " (" << directory->string() << ")\n";
  return 0;
}

// The option of `command` nearest to a misspelt one, or "" when none is close.
std::string NearestOption(const CLI::App& command, const std::string& given) {
  const auto distance = [](const std::string& a, const std::string& b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
      std::size_t diagonal = row[0];
      row[0] = i;
      for (std::size_t j = 1; j <= b.size(); ++j) {
        const std::size_t above = row[j];
        row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
        diagonal = above;
      }
    }
    return row[b.size()];
  };
  std::string best;
  std::size_t bestDistance = 3;
  for (const CLI::Option* option : command.get_options()) {
    for (const std::string& name : option->get_lnames()) {
      const std::string candidate = "--" + name;
      const std::size_t d = distance(given.substr(0, given.find('=')), candidate);
      if (d < bestDistance) {
        bestDistance = d;
        best = candidate;
      }
    }
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Creates, loads, queries and drops embedded Oracle instances.", "skerrow-oracle"};
  app.footer(kUsage);
  app.require_subcommand(1);

  LoadOptions load;
  CLI::App* loadCommand = app.add_subcommand("load", "Load Oracle SQL scripts into an instance");
  loadCommand->add_option("SERVICE", load.service, "The instance's net service name")->required();
  loadCommand->add_option("SCRIPT", load.scripts, "Scripts to load, in order")->required();
  loadCommand->add_flag("--verbose,-v", load.verbose, "List every skipped statement")
      ->group("Output");
  loadCommand
      ->add_flag("--strict", load.strict,
                 "Make a skipped statement or block an error (exit 1), for scripts that must "
                 "load whole")
      ->group("Errors");
  loadCommand
      ->add_flag("--continue-on-error", load.continueOnError,
                 "Go on after a failing statement, as WHENEVER SQLERROR CONTINUE does; list "
                 "each failure and exit 1 at the end")
      ->group("Errors");

  std::string service, user, password, sql;
  CLI::App* queryCommand =
      app.add_subcommand("query", "Run one query as a user and print its rows");
  queryCommand->add_option("SERVICE", service, "The instance's net service name")->required();
  queryCommand->add_option("USER", user, "The user to log on as")->required();
  queryCommand->add_option("PASSWORD", password, "The user's password")->required();
  queryCommand->add_option("SQL", sql, "The query")->required();

  std::string dropService;
  CLI::App* dropCommand = app.add_subcommand("drop", "Remove an instance and everything in it");
  dropCommand->add_option("SERVICE", dropService, "The instance's net service name")->required();

  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return UsageError("no command given");
  if (!args[0].starts_with("-") && args[0] != "load" && args[0] != "query" && args[0] != "drop")
    return UsageError("unknown command \"" + args[0] + "\"");
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& help) {
    std::cout << app.help();
    return 0;
  } catch (const CLI::ParseError& error) {
    std::string message = error.what();
    for (CLI::App* command : {loadCommand, queryCommand, dropCommand}) {
      if (!command->parsed()) continue;
      for (const std::string& arg : args)
        if (arg.starts_with("--") &&
            command->get_option_no_throw(arg.substr(0, arg.find('='))) == nullptr) {
          const std::string nearest = NearestOption(*command, arg);
          if (!nearest.empty()) message += " (did you mean " + nearest + "?)";
        }
    }
    return UsageError(message);
  }
  try {
    if (loadCommand->parsed()) return Load(load);
    if (queryCommand->parsed()) return Query(service, user, password, sql);
    if (dropCommand->parsed()) return Drop(dropService);
  } catch (const std::exception& error) {
    std::cerr << "skerrow-oracle: " << error.what() << "\n";
    return 1;
  }
  return UsageError("no command given");
}
