#include "cli/preflight.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "workflow/destination_database.h"

namespace skerrow::cli {

namespace {

std::string Reason(int error, const std::string& path) {
  if (error == ENOENT) {
    const std::string folder = std::filesystem::path(path).parent_path().string();
    return "the folder " + folder + " does not exist";
  }
  if (error == ENOTDIR) return "a part of the path that should be a folder is a file";
  return std::strerror(error);
}

}  // namespace

std::optional<std::string> ReportFileProblem(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return "it is a folder";
    // Opened for writing without truncating; a pipe nobody reads yet (ENXIO) may be read later.
    const int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
      return errno == ENXIO ? std::nullopt : std::optional<std::string>(Reason(errno, path));
    close(fd);
    return std::nullopt;
  }
  if (errno != ENOENT) return Reason(errno, path);
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    // Something appeared there meanwhile (or a link points nowhere yet): writing will tell.
    if (errno == EEXIST) return std::nullopt;
    return Reason(errno, path);
  }
  close(fd);
  unlink(path.c_str());
  return std::nullopt;
}

std::optional<std::string> PreflightProblem(const CliOptions& options) {
  if (options.reportFile) {
    if (const auto problem = ReportFileProblem(*options.reportFile)) {
      return "The report cannot be written to " + *options.reportFile + ": " + *problem +
             ". Nothing was converted.";
    }
  }
  // A list of the tables needs no destination; a missing service name is the connection
  // step's to ask for.
  if (options.listTables || (!options.database && options.oracleService.empty())) {
    return std::nullopt;
  }
  const DestinationNameCheck check =
      CheckDestinationName(options.database.value_or(options.oracleService));
  if (check.name) return std::nullopt;
  std::string message = check.refusal.text;
  if (!options.database) {
    message +=
        "\nThe destination database is named after the Oracle service unless --database "
        "names it.";
  }
  return message;
}

}  // namespace skerrow::cli
