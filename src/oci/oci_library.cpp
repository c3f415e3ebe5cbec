#include "oci/oci_library.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <system_error>

#include "db/source_error.h"

namespace skerrow::oci {

namespace {

namespace fs = std::filesystem;

constexpr const char* kLoaderSource = "Skerrow Oracle Client";

// Sub-folders of `parent` (sorted so that the newest version comes first), optionally each
// extended by `tail`, that hold the client library.
std::vector<fs::path> FoldersWithLibrary(const fs::path& parent, const fs::path& tail) {
  std::vector<fs::path> folders;
  std::error_code error;
  fs::directory_iterator entries(parent, error);
  if (error) return folders;
  for (const auto& entry : entries) {
    const fs::path folder = tail.empty() ? entry.path() : entry.path() / tail;
    if (fs::exists(folder / kOciLibraryName, error)) folders.push_back(folder);
  }
  std::sort(folders.begin(), folders.end(), std::greater<>());
  return folders;
}

std::string JoinedSearchPath(const std::vector<fs::path>& directories) {
  std::string joined;
  for (const auto& directory : directories)
    joined += (joined.empty() ? "" : ", ") + directory.string();
  return joined.empty() ? std::string("(no directory)") : joined;
}

template <typename Fn>
bool Resolve(void* handle, const char* name, Fn& target, std::string& missing) {
  target = reinterpret_cast<Fn>(::dlsym(handle, name));
  if (!target) missing += (missing.empty() ? "" : ", ") + std::string(name);
  return target != nullptr;
}

}  // namespace

std::vector<LibraryCandidate> OciLibraryCandidates() {
  if (const char* file = std::getenv(kOciLibraryVariable); file && *file)
    return {{file, std::string(file) + " (from " + kOciLibraryVariable + ")"}};

  std::vector<LibraryCandidate> candidates;
  candidates.push_back({kOciLibraryName, "the library search path (LD_LIBRARY_PATH, ld.so.conf)"});
  if (const char* home = std::getenv("ORACLE_HOME"); home && *home) {
    const fs::path file = fs::path(home) / "lib" / kOciLibraryName;
    candidates.push_back({file.string(), file.parent_path().string() + " ($ORACLE_HOME/lib)"});
  } else {
    candidates.push_back({"", "$ORACLE_HOME/lib (ORACLE_HOME is not set)"});
  }
  const auto addFolders = [&](const fs::path& parent, const fs::path& tail, const char* pattern) {
    const auto folders = FoldersWithLibrary(parent, tail);
    if (folders.empty()) candidates.push_back({"", pattern});
    for (const auto& folder : folders)
      candidates.push_back({(folder / kOciLibraryName).string(), folder.string()});
  };
  addFolders("/usr/lib/oracle", "client64/lib", "/usr/lib/oracle/*/client64/lib");
  addFolders("/opt/oracle", "", "/opt/oracle/*");
  return candidates;
}

OciLibrary::~OciLibrary() {
  ::dlclose(handle_);
}

std::shared_ptr<OciLibrary> OciLibrary::Load(const std::vector<LibraryCandidate>& candidates,
                                             const std::string& serviceName,
                                             const std::vector<fs::path>& embeddedSearchPath) {
  std::string places;
  std::string refusals;
  for (const auto& candidate : candidates) {
    places += "\n  " + candidate.shownAs;
    if (candidate.file.empty()) continue;
    // RTLD_NODELETE: the client must stay mapped once it has started its own threads.
    void* handle = ::dlopen(candidate.file.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!handle) {
      // A file that exists but cannot be loaded (a missing libaio, the wrong architecture) is
      // worth telling; a name the loader merely did not find is not.
      std::error_code error;
      const bool exists =
          candidate.file.find('/') != std::string::npos && fs::exists(candidate.file, error);
      if (const char* why = ::dlerror(); why && exists) refusals += "\n  " + std::string(why);
      continue;
    }
    std::shared_ptr<OciLibrary> library(new OciLibrary(handle, candidate.file));
    OciFunctions& f = library->functions_;
    std::string missing;
    Resolve(handle, "OCIEnvNlsCreate", f.EnvNlsCreate, missing);
    Resolve(handle, "OCIHandleAlloc", f.HandleAlloc, missing);
    Resolve(handle, "OCIHandleFree", f.HandleFree, missing);
    Resolve(handle, "OCIDescriptorAlloc", f.DescriptorAlloc, missing);
    Resolve(handle, "OCIDescriptorFree", f.DescriptorFree, missing);
    Resolve(handle, "OCIAttrGet", f.AttrGet, missing);
    Resolve(handle, "OCIAttrSet", f.AttrSet, missing);
    Resolve(handle, "OCIServerAttach", f.ServerAttach, missing);
    Resolve(handle, "OCIServerDetach", f.ServerDetach, missing);
    Resolve(handle, "OCISessionBegin", f.SessionBegin, missing);
    Resolve(handle, "OCISessionEnd", f.SessionEnd, missing);
    Resolve(handle, "OCIStmtPrepare2", f.StmtPrepare2, missing);
    Resolve(handle, "OCIStmtRelease", f.StmtRelease, missing);
    Resolve(handle, "OCIStmtExecute", f.StmtExecute, missing);
    Resolve(handle, "OCIParamGet", f.ParamGet, missing);
    Resolve(handle, "OCIDefineByPos", f.DefineByPos, missing);
    Resolve(handle, "OCIStmtFetch2", f.StmtFetch2, missing);
    Resolve(handle, "OCIErrorGet", f.ErrorGet, missing);
    Resolve(handle, "OCILobRead2", f.LobRead2, missing);
    if (missing.empty()) return library;
    refusals += "\n  " + candidate.file + " lacks " + missing + " (a client older than 11g)";
  }
  std::string description = "Oracle's client library (" + std::string(kOciLibraryName) +
                            ") was not found, so the service name \"" + serviceName +
                            "\" cannot be reached through Oracle Net. Looked in:" + places;
  if (!refusals.empty()) description += "\nFound but not usable:" + refusals;
  description +=
      "\nInstall Oracle Instant Client (Basic or Basic Light) to convert a live database. "
      "Embedded Oracle instances are looked up in SKERROW_ORACLE_PATH (" +
      JoinedSearchPath(embeddedSearchPath) + "); none is named \"" + serviceName + "\".";
  throw SourceError(std::string(kLoaderSource), kCodeOracleClientNotFound, description);
}

}  // namespace skerrow::oci
