#include "cli/run_cli.h"

#include <algorithm>
#include <exception>
#include <optional>

#include "cli/cli_options.h"
#include "cli/cli_window.h"
#include "cli/password_input.h"
#include "cli/preflight.h"
#include "cli/run_interrupts.h"
#include "text/ascii.h"
#include "workflow/connection_step.h"
#include "workflow/control_ids.h"
#include "workflow/conversion_run.h"
#include "workflow/conversion_state.h"
#include "workflow/report_table.h"
#include "workflow/run_report_file.h"
#include "workflow/table_verify.h"

namespace skerrow::cli {
namespace {

// The list position of `name`: the exact name, else the one name that matches when case is
// ignored (Oracle keeps unquoted names in upper case; users type them as they like).
std::optional<int> FindTable(const std::vector<std::string>& items, const std::string& name) {
  const auto exact = std::find(items.begin(), items.end(), name);
  if (exact != items.end()) return static_cast<int>(exact - items.begin());
  std::optional<int> found;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (!text::EqualsIgnoringAsciiCase(items[i], name)) continue;
    if (found) return std::nullopt;  // ambiguous: "emp" when both EMP and Emp exist
    found = static_cast<int>(i);
  }
  return found;
}

std::string JoinNames(const std::vector<std::string>& names) {
  std::string text;
  for (const auto& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

// Checks the tables asked for; false (after saying which names are unknown) when any is.
bool CheckRequestedTables(const CliOptions& options, CliWindow& window, std::ostream& err) {
  const auto& items = window.TableItems();
  if (options.allTables) {
    for (int i = 0; i < static_cast<int>(items.size()); ++i) window.CheckTable(i);
    return true;
  }
  std::vector<std::string> unknown;
  for (const auto& name : options.tables) {
    if (const auto index = FindTable(items, name)) {
      window.CheckTable(*index);
    } else {
      unknown.push_back(name);
    }
  }
  if (unknown.empty()) return true;
  err << "Oracle user " << options.oracleUser << " owns no table named " << JoinNames(unknown)
      << ".\nThe user's tables: " << (items.empty() ? "(none)" : JoinNames(items)) << '\n';
  return false;
}

bool WriteJsonReport(const RunReport& report, const std::string& path, std::ostream& err) {
  const std::optional<std::string> failure = WriteRunReportFile(report, path);
  if (!failure) return true;
  err << "Could not write the report to " << path << ": " << *failure << '\n';
  return false;
}

int Convert(const CliOptions& options, CliStreams streams) {
  ConversionState state;
  state.OneStatementPerRow = options.oneStatementPerRow;
  state.Jobs = options.jobs;
  CliWindow window(streams.out, streams.err,
                   {.terminal = streams.outIsTerminal,
                    .quiet = options.quiet,
                    .overwrite = options.overwrite,
                    .severalTables = options.jobs > 1});
  // Asking for a password is pointless while the connection step would stop at an empty
  // service, user, server or login anyway.
  const bool oracleNamed = !options.oracleService.empty() && !options.oracleUser.empty();
  const bool mysqlNamed = !options.mysqlServer.empty() && !options.mysqlLogin.empty();
  window.SetControlText(kServiceNameEdit, options.oracleService);
  window.SetControlText(kOracleUserEdit, options.oracleUser);
  window.SetControlText(
      kOraclePasswordEdit,
      ResolvePassword(options.oraclePassword, "SKERROW_ORACLE_PASSWORD",
                      "Oracle password for " + options.oracleUser + ": ", oracleNamed));
  window.SetControlText(kMySqlServerEdit, options.mysqlServer);
  window.SetControlText(kMySqlLoginEdit, options.mysqlLogin);
  window.SetControlText(
      kMySqlPasswordEdit,
      ResolvePassword(options.mysqlPassword, "SKERROW_MYSQL_PASSWORD",
                      "MySQL password for " + options.mysqlLogin + ": ", mysqlNamed));

  RunInterrupts interrupts(state, window, streams.out, streams.err, [&](const RunReport& report) {
    if (options.reportFile) WriteJsonReport(report, *options.reportFile, streams.err);
  });
  // The connection step has printed its message when it stops short of the selection page.
  ConnectAndListTables(state, window);
  if (!window.SelectionPageShown()) return kExitNotRun;

  if (options.listTables) {
    for (const auto& name : window.TableItems()) streams.out << name << '\n';
    streams.out << std::flush;
    return kExitConverted;
  }
  if (options.database) window.SetControlText(kDestinationNameEdit, *options.database);
  if (!CheckRequestedTables(options, window, streams.err)) return kExitNotRun;

  // This front end has no window thread to keep responsive: the run is the main thread's.
  state.VerifyTables = options.verify;
  interrupts.RunBegins();
  if (options.verifyOnly)
    RunVerification(state, window);
  else
    RunConversion(state, window);
  interrupts.RunEnded();
  // A refused destination name, a declined overwrite or an empty selection end the run
  // before its completion; each has been explained already. A destination the server would
  // not drop or create completes it with errors and a report.
  if (!state.Report.completed) return kExitNotRun;

  if (!options.quiet)
    streams.out << ReportTableText(state.Report, "see --report for more; ") << std::flush;
  // A run stopped by Ctrl-C left tables out.
  int status =
      state.Report.Succeeded() && !state.Report.stopped ? kExitConverted : kExitCompletedWithErrors;
  if (options.reportFile && !WriteJsonReport(state.Report, *options.reportFile, streams.err)) {
    status = kExitCompletedWithErrors;
  }
  return status;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, CliStreams streams) {
  const CliParseResult parsed = ParseCliOptions(args);
  if (const auto* info = std::get_if<CliInfoRequest>(&parsed)) {
    streams.out << info->text << std::flush;
    return kExitConverted;
  }
  if (const auto* error = std::get_if<CliUsageError>(&parsed)) {
    streams.err << "skerrow-cli: " << error->message << "\nTry skerrow-cli --help.\n";
    return kExitNotRun;
  }
  const auto& options = std::get<CliOptions>(parsed);
  // Found now, before a password is asked for or anything connected, created or replaced.
  if (const auto problem = PreflightProblem(options)) {
    streams.err << *problem << '\n';
    return kExitNotRun;
  }
  try {
    return Convert(options, streams);
  } catch (const std::exception& failure) {
    streams.err << "skerrow-cli: the conversion failed: " << failure.what() << '\n';
    return kExitCompletedWithErrors;
  }
}

}  // namespace skerrow::cli
