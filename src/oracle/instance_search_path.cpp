#include <cstdlib>
#include <system_error>

#include "oracle/embedded_instance.h"
#include "oracle/oracle_names.h"
#include "text/ascii.h"

namespace skerrow::oracle {

std::vector<std::filesystem::path> InstanceSearchPath() {
  std::vector<std::filesystem::path> directories;
  if (const char* listed = std::getenv("SKERROW_ORACLE_PATH"); listed && *listed) {
    std::string_view rest(listed);
    while (!rest.empty()) {
      const auto colon = rest.find(':');
      const auto entry = rest.substr(0, colon);
      if (!entry.empty()) directories.emplace_back(std::string(entry));
      if (colon == std::string_view::npos) break;
      rest.remove_prefix(colon + 1);
    }
    return directories;
  }
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data)
    directories.push_back(std::filesystem::path(data) / "skerrow" / "oracle");
  else if (const char* home = std::getenv("HOME"); home && *home)
    directories.push_back(std::filesystem::path(home) / ".local" / "share" / "skerrow" / "oracle");
  return directories;
}

bool IsPlainServiceName(std::string_view serviceName) {
  if (serviceName.empty() || serviceName == "." || serviceName.find("..") != std::string::npos)
    return false;
  for (const char c : serviceName)
    if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  return true;
}

std::optional<std::filesystem::path> FindInstanceDirectory(const std::string& serviceName) {
  if (!IsPlainServiceName(serviceName)) return std::nullopt;
  for (const auto& directory : InstanceSearchPath()) {
    std::error_code error;
    std::filesystem::directory_iterator entries(directory, error);
    if (error) continue;
    for (const auto& entry : entries) {
      const std::string name = entry.path().filename().string();
      if (text::EqualsIgnoringAsciiCase(name, serviceName) && entry.is_directory(error) &&
          std::filesystem::exists(entry.path() / "catalog.db", error))
        return entry.path();
    }
  }
  return std::nullopt;
}

}  // namespace skerrow::oracle
