#include "cli/cli_options.h"

#include <sched.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <memory>
#include <thread>

#include "cli/option_suggestion.h"

namespace skerrow::cli {
namespace {

constexpr const char* kProgram = "skerrow-cli";
constexpr const char* kOracleGroup = "Oracle source";
constexpr const char* kMySqlGroup = "MySQL destination";
constexpr const char* kSelectionGroup = "What to convert";
constexpr const char* kOutputGroup = "Output";

constexpr const char* kFooter =
    "Passwords not given as options come from SKERROW_ORACLE_PASSWORD and\n"
    "SKERROW_MYSQL_PASSWORD, else they are asked for when standard input is a terminal.\n"
    "\n"
    "Ctrl-C during a conversion starts no further table and lets the ones in progress\n"
    "finish; a second Ctrl-C ends at once.\n"
    "\n"
    "Exit status: 0 every checked table converted with every row; 1 the run completed\n"
    "with errors or was stopped; 2 bad options, a failed connection or a refused\n"
    "destination database; 130 a second Ctrl-C ended the run at once.";

// Thrown by --help and --version as they are read: what follows them is not looked at, what
// came before them has been (and a mistake there is still reported).
enum class InfoRequest { Help, Version };

bool IsFlag(const CLI::Option& option) {
  return option.get_items_expected_max() == 0;
}

// The usage line first, then what the program does.
class UsageFirstFormatter : public CLI::Formatter {
 public:
  std::string make_description(const CLI::App*) const override { return {}; }
  std::string make_usage(const CLI::App* app, std::string name) const override {
    return Formatter::make_usage(app, std::move(name)) + app->get_description() + "\n";
  }
};

std::vector<std::string> SplitTableList(const std::string& text) {
  std::vector<std::string> names;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = text.find(',', start);
    names.push_back(
        text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return names;
}

// The command line's options, bound to `options`; each --tables value lands in
// `tableArguments` and --jobs in `jobsArgument` as typed.
std::unique_ptr<CLI::App> MakeCliApp(CliOptions& options, std::vector<std::string>& tableArguments,
                                     std::optional<std::string>& jobsArgument) {
  auto app = std::make_unique<CLI::App>(
      "Copies the tables of an Oracle user into a new MySQL database.", kProgram);
  app->allow_extras();  // reported below in this front end's own words
  app->set_help_flag();
  // Given twice, the later value counts.
  app->option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  auto formatter = std::make_shared<UsageFirstFormatter>();
  formatter->column_width(34);
  app->formatter(formatter);
  app->footer(kFooter);

  const auto into = [](std::optional<std::string>& target) {
    return [&target](const std::string& value) { target = value; };
  };

  app->add_option("--oracle-service", options.oracleService,
                  "net service name of the Oracle database")
      ->type_name("NAME")
      ->group(kOracleGroup);
  app->add_option("--oracle-user", options.oracleUser, "the Oracle user whose tables are copied")
      ->type_name("USER")
      ->group(kOracleGroup);
  app->add_option_function<std::string>("--oracle-password", into(options.oraclePassword),
                                        "the Oracle user's password")
      ->type_name("PW")
      ->group(kOracleGroup);

  app->add_option("--mysql-server", options.mysqlServer,
                  "MySQL server; ports 3306, 3307, 3308 and 3309 are tried in turn")
      ->type_name("HOST")
      ->capture_default_str()
      ->group(kMySqlGroup);
  app->add_option("--mysql-login", options.mysqlLogin, "MySQL login name")
      ->type_name("LOGIN")
      ->group(kMySqlGroup);
  app->add_option_function<std::string>("--mysql-password", into(options.mysqlPassword),
                                        "the MySQL login's password")
      ->type_name("PW")
      ->group(kMySqlGroup);
  app->add_option_function<std::string>("--database", into(options.database),
                                        "destination database (default: the service name)")
      ->type_name("NAME")
      ->group(kMySqlGroup);

  // One comma-separated list per occurrence; the next word is never a second value.
  app->add_option("--tables", tableArguments, "convert these tables (may be repeated)")
      ->option_text("T1,T2,...")
      ->allow_extra_args(false)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
      ->group(kSelectionGroup);
  app->add_flag("--all-tables", options.allTables, "convert every table of the user")
      ->group(kSelectionGroup);
  app->add_flag("--list-tables", options.listTables, "print the user's tables and stop")
      ->group(kSelectionGroup);
  app->add_flag("--overwrite", options.overwrite, "replace the destination database when it exists")
      ->group(kSelectionGroup);
  app->add_flag("--one-statement-per-row", options.oneStatementPerRow,
                "send every row in its own INSERT (slower; same outcome)")
      ->group(kSelectionGroup);
  app->add_option_function<std::string>(
         "--jobs", into(jobsArgument),
         "tables converted at the same time, largest first (auto: one per core)")
      ->type_name("N|auto")
      ->default_str("1")
      ->group(kSelectionGroup);
  app->add_flag("--verify", options.verify,
                "read every table back after its copy and compare each value with Oracle")
      ->group(kSelectionGroup);
  app->add_flag("--verify-only", options.verifyOnly,
                "compare the tables of a database converted earlier with Oracle; write nothing")
      ->group(kSelectionGroup);

  app->add_option_function<std::string>("--report", into(options.reportFile),
                                        "write the run report as JSON to FILE")
      ->type_name("FILE")
      ->group(kOutputGroup);
  app->add_flag("--quiet", options.quiet, "print only problems")->group(kOutputGroup);
  app->add_flag_callback(
         "-h,--help", [] { throw InfoRequest::Help; }, "print this help and stop")
      ->trigger_on_parse()
      ->group(kOutputGroup);
  app->add_flag_callback(
         "--version", [] { throw InfoRequest::Version; }, "print the version and stop")
      ->trigger_on_parse()
      ->group(kOutputGroup);

  // A flag is a flag: "--overwrite=yes" is refused rather than read as true or false.
  for (CLI::Option* option : app->get_options()) {
    if (IsFlag(*option)) option->disable_flag_override();
  }
  return app;
}

std::vector<std::string> LongOptionNames(const CLI::App& app) {
  std::vector<std::string> names;
  for (const CLI::Option* option : app.get_options()) {
    for (const auto& name : option->get_lnames()) names.push_back("--" + name);
  }
  return names;
}

// The name part of "--name=value".
std::string OptionName(const std::string& arg) {
  return arg.rfind("--", 0) == 0 ? arg.substr(0, arg.find('=')) : arg;
}

CliUsageError ExtraArgumentError(const CLI::App& app, const std::string& extra) {
  if (extra.empty() || extra[0] != '-') return {"Unexpected argument \"" + extra + "\"."};
  const std::string name = OptionName(extra);
  std::string message = "Unknown option " + name + ".";
  if (const auto meant = ClosestOptionName(name, LongOptionNames(app))) {
    message += " Did you mean " + *meant + "?";
  }
  return {message};
}

// A value given to a flag, or a valued option at the end without its value: the two ways an
// argument count can be wrong here.
CliUsageError ArgumentCountError(const CLI::App& app, const std::vector<std::string>& args,
                                 const CLI::ParseError& error) {
  for (const auto& arg : args) {
    if (arg.rfind("--", 0) != 0 || arg.find('=') == std::string::npos) continue;
    const CLI::Option* option = app.get_option_no_throw(OptionName(arg));
    if (option && IsFlag(*option)) {
      return {"Option " + OptionName(arg) + " takes no value."};
    }
  }
  if (!args.empty()) {
    const CLI::Option* option = app.get_option_no_throw(args.back());
    if (option && !IsFlag(*option)) {
      return {"Option " + args.back() + " needs a value."};
    }
  }
  return {error.what()};
}

// "--name=" gives the option an empty value, not the next argument.
std::vector<std::string> SplitEmptyInlineValues(const std::vector<std::string>& args) {
  std::vector<std::string> split;
  for (const auto& arg : args) {
    if (arg.size() > 3 && arg.rfind("--", 0) == 0 && arg.find('=') == arg.size() - 1) {
      split.push_back(arg.substr(0, arg.size() - 1));
      split.emplace_back();
    } else {
      split.push_back(arg);
    }
  }
  return split;
}

// The table names of every --tables value, first occurrence kept.
std::vector<std::string> TableNames(const std::vector<std::string>& tableArguments) {
  std::vector<std::string> tables;
  for (const auto& argument : tableArguments) {
    for (auto& name : SplitTableList(argument)) {
      if (std::find(tables.begin(), tables.end(), name) == tables.end()) {
        tables.push_back(std::move(name));
      }
    }
  }
  return tables;
}

// --jobs as a number of tables; nullopt when it is none.
std::optional<int> JobsOf(const std::string& text) {
  if (text == "auto") return std::min(CoreCount(), kMaxJobs);
  int jobs = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, jobs);
  if (error != std::errc() || stop != end || jobs < 1 || jobs > kMaxJobs) return std::nullopt;
  return jobs;
}

std::optional<CliUsageError> CheckSelection(const CliOptions& options, bool tablesGiven) {
  if (tablesGiven) {
    const bool hasEmpty = std::any_of(options.tables.begin(), options.tables.end(),
                                      [](const std::string& t) { return t.empty(); });
    if (hasEmpty) return CliUsageError{"--tables holds an empty table name."};
  }
  if (tablesGiven && options.allTables) {
    return CliUsageError{"Give either --tables or --all-tables, not both."};
  }
  if (!tablesGiven && !options.allTables && !options.listTables) {
    return CliUsageError{
        "Say which tables to convert: --tables T1,T2,... or --all-tables "
        "(--list-tables shows them)."};
  }
  if (options.verify && options.verifyOnly) {
    return CliUsageError{"Give either --verify or --verify-only, not both."};
  }
  if (options.verifyOnly && (options.overwrite || options.oneStatementPerRow)) {
    return CliUsageError{std::string("--verify-only writes nothing: ") +
                         (options.overwrite ? "--overwrite" : "--one-statement-per-row") +
                         " has no use with it."};
  }
  if (options.reportFile && options.reportFile->empty()) {
    return CliUsageError{"--report needs a file name."};
  }
  return std::nullopt;
}

}  // namespace

int CoreCount() {
  cpu_set_t cpus;
  CPU_ZERO(&cpus);
  if (sched_getaffinity(0, sizeof(cpus), &cpus) == 0 && CPU_COUNT(&cpus) > 0)
    return CPU_COUNT(&cpus);
  return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

std::string CliVersionText() {
  return std::string(kProgram) + " " + SKERROW_VERSION_TEXT + "\n";
}

std::string CliUsageText() {
  CliOptions defaults;
  std::vector<std::string> tableArguments;
  std::optional<std::string> jobsArgument;
  return MakeCliApp(defaults, tableArguments, jobsArgument)->help();
}

CliParseResult ParseCliOptions(const std::vector<std::string>& args) {
  CliOptions options;
  std::vector<std::string> tableArguments;
  std::optional<std::string> jobsArgument;
  const auto app = MakeCliApp(options, tableArguments, jobsArgument);
  const std::vector<std::string> given = SplitEmptyInlineValues(args);
  // CLI11 takes the arguments last first.
  std::vector<std::string> reversed(given.rbegin(), given.rend());
  try {
    app->parse(reversed);
  } catch (InfoRequest request) {
    // What stood before --help or --version was parsed already; a mistake there is reported.
    if (const auto extras = app->remaining(); !extras.empty()) {
      return ExtraArgumentError(*app, extras.front());
    }
    if (request == InfoRequest::Version) return CliInfoRequest{CliVersionText()};
    return CliInfoRequest{CliUsageText()};
  } catch (const CLI::ArgumentMismatch& error) {
    return ArgumentCountError(*app, given, error);
  } catch (const CLI::ParseError& error) {
    return CliUsageError{error.what()};
  }
  if (const auto extras = app->remaining(); !extras.empty()) {
    return ExtraArgumentError(*app, extras.front());
  }

  const bool tablesGiven = !tableArguments.empty();
  options.tables = TableNames(tableArguments);
  if (auto refused = CheckSelection(options, tablesGiven)) return *refused;
  if (jobsArgument) {
    const std::optional<int> jobs = JobsOf(*jobsArgument);
    if (!jobs)
      return CliUsageError{"--jobs takes a number of tables from 1 to " + std::to_string(kMaxJobs) +
                           ", or auto (one per core); not \"" + *jobsArgument + "\"."};
    options.jobs = *jobs;
  }
  return options;
}

}  // namespace skerrow::cli
