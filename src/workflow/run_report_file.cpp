#include "workflow/run_report_file.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <system_error>

#include "workflow/run_report_json.h"

namespace skerrow {

namespace {

std::filesystem::path HomeDirectory() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') return home;
  // No usable HOME (a service, a stripped environment): the account's own directory.
  if (const passwd* account = getpwuid(getuid());
      account != nullptr && account->pw_dir != nullptr && account->pw_dir[0] == '/')
    return account->pw_dir;
  return {};
}

}  // namespace

std::filesystem::path LastRunReportPath() {
  std::filesystem::path stateHome;
  // A relative XDG_STATE_HOME is invalid and ignored, as the base directory rules say.
  if (const char* xdg = std::getenv("XDG_STATE_HOME"); xdg != nullptr && xdg[0] == '/') {
    stateHome = xdg;
  } else if (const std::filesystem::path home = HomeDirectory(); !home.empty()) {
    stateHome = home / ".local" / "state";
  } else {
    return {};
  }
  return stateHome / "skerrow" / "last-run.json";
}

std::optional<std::string> WriteRunReportFile(const RunReport& report,
                                              const std::filesystem::path& path) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (file) WriteRunReportJson(report, file);
  file.close();
  if (!file) return std::string(std::strerror(errno));
  return std::nullopt;
}

std::optional<std::string> WriteLastRunReport(const RunReport& report,
                                              const std::filesystem::path& path) {
  if (path.empty()) return "no folder for it is known (neither XDG_STATE_HOME nor HOME is set)";
  std::error_code error;
  std::filesystem::create_directories(path.parent_path(), error);
  if (error)
    return "its folder " + path.parent_path().string() +
           " could not be created: " + error.message();
  return WriteRunReportFile(report, path);
}

}  // namespace skerrow
