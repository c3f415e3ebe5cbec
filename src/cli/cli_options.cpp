#include "cli/cli_options.h"

#include <algorithm>
#include <functional>
#include <map>

namespace skerrow::cli {
namespace {

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

}  // namespace

std::string CliVersionText() {
  return std::string("skerrow-cli ") + SKERROW_VERSION_TEXT + "\n";
}

std::string CliUsageText() {
  return "Usage: skerrow-cli [options]\n"
         "Copies the tables of an Oracle user into a new MySQL database.\n"
         "\n"
         "Oracle source:\n"
         "  --oracle-service NAME   net service name of the Oracle database\n"
         "  --oracle-user USER      the Oracle user whose tables are copied\n"
         "  --oracle-password PW    (or SKERROW_ORACLE_PASSWORD, or asked for on a terminal)\n"
         "MySQL destination:\n"
         "  --mysql-server HOST     MySQL server (default localhost; ports 3306 to 3309)\n"
         "  --mysql-login LOGIN     MySQL login name\n"
         "  --mysql-password PW     (or SKERROW_MYSQL_PASSWORD, or asked for on a terminal)\n"
         "  --database NAME         destination database (default: the service name)\n"
         "What to do:\n"
         "  --tables T1,T2,...      convert these tables\n"
         "  --all-tables            convert every table of the user\n"
         "  --list-tables           print the user's tables and stop\n"
         "  --overwrite             replace the destination database when it exists\n"
         "  --one-statement-per-row send every row in its own INSERT (slower)\n"
         "  --report FILE           write the run report as JSON to FILE\n"
         "  --quiet                 print only problems\n"
         "  --help, --version\n"
         "\n"
         "Exit status: 0 every checked table converted with every row; 1 the run completed\n"
         "with errors; 2 bad options, a failed connection or a refused destination database.\n";
}

CliParseResult ParseCliOptions(const std::vector<std::string>& args) {
  CliOptions options;
  bool tablesGiven = false;

  using Setter = std::function<void(const std::string&)>;
  const std::map<std::string, Setter> valued = {
      {"--oracle-service", [&](const std::string& v) { options.oracleService = v; }},
      {"--oracle-user", [&](const std::string& v) { options.oracleUser = v; }},
      {"--oracle-password", [&](const std::string& v) { options.oraclePassword = v; }},
      {"--mysql-server", [&](const std::string& v) { options.mysqlServer = v; }},
      {"--mysql-login", [&](const std::string& v) { options.mysqlLogin = v; }},
      {"--mysql-password", [&](const std::string& v) { options.mysqlPassword = v; }},
      {"--database", [&](const std::string& v) { options.database = v; }},
      {"--tables",
       [&](const std::string& v) {
         tablesGiven = true;
         for (auto& name : SplitTableList(v)) {
           if (std::find(options.tables.begin(), options.tables.end(), name) ==
               options.tables.end()) {
             options.tables.push_back(std::move(name));
           }
         }
       }},
      {"--report", [&](const std::string& v) { options.reportFile = v; }},
  };
  const std::map<std::string, bool*> flags = {
      {"--all-tables", &options.allTables},
      {"--list-tables", &options.listTables},
      {"--overwrite", &options.overwrite},
      {"--one-statement-per-row", &options.oneStatementPerRow},
      {"--quiet", &options.quiet},
  };

  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") return CliInfoRequest{CliUsageText()};
    if (arg == "--version") return CliInfoRequest{CliVersionText()};

    std::string name = arg;
    std::optional<std::string> inlineValue;
    if (const auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
      name = arg.substr(0, eq);
      inlineValue = arg.substr(eq + 1);
    }

    if (const auto flag = flags.find(name); flag != flags.end()) {
      if (inlineValue) return CliUsageError{"Option " + name + " takes no value."};
      *flag->second = true;
      continue;
    }
    const auto setter = valued.find(name);
    if (setter == valued.end()) {
      if (arg.rfind("-", 0) == 0) return CliUsageError{"Unknown option " + arg + "."};
      return CliUsageError{"Unexpected argument \"" + arg + "\"."};
    }
    if (inlineValue) {
      setter->second(*inlineValue);
    } else if (i + 1 < args.size()) {
      // The next argument is the value even when it starts with "-": passwords may.
      setter->second(args[++i]);
    } else {
      return CliUsageError{"Option " + name + " needs a value."};
    }
  }

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
  if (options.reportFile && options.reportFile->empty()) {
    return CliUsageError{"--report needs a file name."};
  }
  return options;
}

}  // namespace skerrow::cli
