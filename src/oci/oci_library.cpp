#include "oci/oci_library.h"

#include <dlfcn.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "db/source_error.h"

namespace skerrow::oci {

namespace {

namespace fs = std::filesystem;

constexpr const char* kLoaderSource = "Skerrow Oracle Client";

// The numbers in a name, in order: "instantclient_21_13" -> 21, 13; "libclntsh.so.19.1" -> 19,
// 1. Runs of digits longer than nine count as the largest number (no overflow).
std::vector<unsigned long> VersionNumbers(const std::string& name) {
  std::vector<unsigned long> numbers;
  for (std::size_t i = 0; i < name.size();) {
    if (!std::isdigit(static_cast<unsigned char>(name[i]))) {
      ++i;
      continue;
    }
    unsigned long number = 0;
    std::size_t digits = 0;
    for (; i < name.size() && std::isdigit(static_cast<unsigned char>(name[i])); ++i, ++digits)
      if (digits < 9) number = number * 10 + static_cast<unsigned long>(name[i] - '0');
    numbers.push_back(digits > 9 ? 999999999ul : number);
  }
  return numbers;
}

// Newest first: by the version numbers in the name, then by the name itself.
bool NewerName(const std::string& a, const std::string& b) {
  const auto va = VersionNumbers(a);
  const auto vb = VersionNumbers(b);
  if (va != vb) return va > vb;
  return a > b;
}

// "libclntsh.so" followed by nothing, or by dot-separated numbers only.
bool IsClientLibraryName(const std::string& name) {
  const std::string base = kOciLibraryName;
  if (!name.starts_with(base)) return false;
  const std::string rest = name.substr(base.size());
  if (rest.empty()) return true;
  bool digitSeen = false;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] == '.') {
      if (i + 1 == rest.size() || rest[i + 1] == '.') return false;
    } else if (std::isdigit(static_cast<unsigned char>(rest[i]))) {
      digitSeen = true;
    } else {
      return false;
    }
  }
  return rest[0] == '.' && digitSeen;
}

// The client library files in `folder`: the development link, then every versioned name (also
// of a release newer than the names this program knows), newest first.
std::vector<fs::path> LibraryFilesIn(const fs::path& folder) {
  std::vector<std::string> names;
  std::error_code error;
  // Asked by name too, for a folder that may be entered but not listed.
  for (const auto& name : OciLibraryNames())
    if (fs::exists(folder / name, error)) names.push_back(name);
  fs::directory_iterator entries(folder, error);
  constexpr std::size_t kMaxEntries = 10000;  // a huge folder is not an installation
  std::size_t seen = 0;
  for (; !error && entries != fs::directory_iterator() && seen < kMaxEntries;
       entries.increment(error), ++seen) {
    std::string name = entries->path().filename().string();
    if (IsClientLibraryName(name) && std::find(names.begin(), names.end(), name) == names.end())
      names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end(), [](const std::string& x, const std::string& y) {
    if ((x == kOciLibraryName) != (y == kOciLibraryName)) return x == kOciLibraryName;
    return NewerName(x, y);
  });
  std::vector<fs::path> files;
  for (const auto& name : names) files.push_back(folder / name);
  return files;
}

// Sub-folders of `parent`, each extended by `tail`, that hold the client library, the highest
// version number first.
std::vector<fs::path> FoldersWithLibrary(const fs::path& parent, const fs::path& tail) {
  std::vector<std::pair<std::string, fs::path>> folders;
  std::error_code error;
  fs::directory_iterator entries(parent, error);
  constexpr std::size_t kMaxEntries = 10000;
  std::size_t seen = 0;
  for (; !error && entries != fs::directory_iterator() && seen < kMaxEntries;
       entries.increment(error), ++seen) {
    const fs::path folder = tail.empty() ? entries->path() : entries->path() / tail;
    if (!LibraryFilesIn(folder).empty())
      folders.emplace_back(entries->path().filename().string(), folder);
  }
  std::sort(folders.begin(), folders.end(),
            [](const auto& a, const auto& b) { return NewerName(a.first, b.first); });
  std::vector<fs::path> sorted;
  for (auto& [name, folder] : folders) sorted.push_back(std::move(folder));
  return sorted;
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

// "libclntsh.so, libclntsh.so.23.1, ...": the file names of the candidates, each once.
std::string NamesTried(const std::vector<LibraryCandidate>& candidates) {
  std::vector<std::string> names;
  for (const auto& candidate : candidates) {
    if (candidate.file.empty()) continue;
    std::string name = fs::path(candidate.file).filename().string();
    if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
  }
  std::string joined;
  for (const auto& name : names) joined += (joined.empty() ? "" : ", ") + name;
  return joined.empty() ? std::string(kOciLibraryName) : joined;
}

}  // namespace

const std::vector<std::string>& OciLibraryNames() {
  static const std::vector<std::string> names = {
      kOciLibraryName,     "libclntsh.so.23.1", "libclntsh.so.21.1", "libclntsh.so.20.1",
      "libclntsh.so.19.1", "libclntsh.so.18.1", "libclntsh.so.12.1", "libclntsh.so.11.1"};
  return names;
}

LibrarySearch LibrarySearchFromEnvironment() {
  LibrarySearch search;
  if (const char* file = std::getenv(kOciLibraryVariable); file && *file)
    search.overrideFile = file;
  if (const char* home = std::getenv("ORACLE_HOME"); home && *home) search.oracleHome = home;
  search.roots = {{"/usr/lib/oracle", "client64/lib", "/usr/lib/oracle/*/client64/lib"},
                  {"/opt/oracle", "", "/opt/oracle/*"}};
  return search;
}

std::vector<LibraryCandidate> OciLibraryCandidates(const LibrarySearch& search) {
  if (search.overrideFile)
    return {{*search.overrideFile, *search.overrideFile + " (from " + kOciLibraryVariable + ")"}};

  std::vector<LibraryCandidate> candidates;
  for (const auto& name : OciLibraryNames())
    candidates.push_back({name, "the library search path (LD_LIBRARY_PATH, ld.so.conf)"});
  if (search.oracleHome) {
    const fs::path folder = *search.oracleHome / "lib";
    const std::string shownAs = folder.string() + " ($ORACLE_HOME/lib)";
    const auto files = LibraryFilesIn(folder);
    if (files.empty()) candidates.push_back({"", shownAs});
    for (const auto& file : files) candidates.push_back({file.string(), shownAs});
  } else {
    candidates.push_back({"", "$ORACLE_HOME/lib (ORACLE_HOME is not set)"});
  }
  for (const auto& root : search.roots) {
    const auto folders = FoldersWithLibrary(root.parent, root.tail);
    if (folders.empty()) candidates.push_back({"", root.shownAs});
    for (const auto& folder : folders)
      for (const auto& file : LibraryFilesIn(folder))
        candidates.push_back({file.string(), folder.string()});
  }
  return candidates;
}

std::vector<LibraryCandidate> OciLibraryCandidates() {
  return OciLibraryCandidates(LibrarySearchFromEnvironment());
}

OciLibrary::~OciLibrary() {
  ::dlclose(handle_);
}

std::shared_ptr<OciLibrary> OciLibrary::Load(const std::vector<LibraryCandidate>& candidates,
                                             const std::string& serviceName,
                                             const std::vector<fs::path>& embeddedSearchPath) {
  std::string places;
  std::string refusals;
  const std::string* lastPlace = nullptr;
  for (const auto& candidate : candidates) {
    // A place with several names is listed once.
    if (!lastPlace || *lastPlace != candidate.shownAs) places += "\n  " + candidate.shownAs;
    lastPlace = &candidate.shownAs;
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
    Resolve(handle, "OCIDefineByPos2", f.DefineByPos2, missing);
    Resolve(handle, "OCIDefineDynamic", f.DefineDynamic, missing);
    Resolve(handle, "OCIStmtFetch2", f.StmtFetch2, missing);
    Resolve(handle, "OCIErrorGet", f.ErrorGet, missing);
    Resolve(handle, "OCILobRead2", f.LobRead2, missing);
    if (missing.empty()) return library;
    refusals += "\n  " + candidate.file + " lacks " + missing + " (a client older than 12c)";
  }
  std::string description = "Oracle's client library (" + std::string(kOciLibraryName) +
                            ") was not found, so the service name \"" + serviceName +
                            "\" cannot be reached through Oracle Net. Looked for " +
                            NamesTried(candidates) + " in:" + places;
  if (!refusals.empty()) description += "\nFound but not usable:" + refusals;
  description +=
      "\nInstall Oracle Instant Client (Basic or Basic Light) to convert a live database. "
      "Embedded Oracle instances are looked up in SKERROW_ORACLE_PATH (" +
      JoinedSearchPath(embeddedSearchPath) + "); none is named \"" + serviceName + "\".";
  throw SourceError(std::string(kLoaderSource), kCodeOracleClientNotFound, description);
}

}  // namespace skerrow::oci
