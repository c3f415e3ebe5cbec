#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "oci/oci_api.h"

namespace skerrow::oci {

// The OCI entry points this program calls, resolved from a loaded client library.
struct OciFunctions {
  OCIEnvNlsCreateFn EnvNlsCreate = nullptr;
  OCIHandleAllocFn HandleAlloc = nullptr;
  OCIHandleFreeFn HandleFree = nullptr;
  OCIDescriptorAllocFn DescriptorAlloc = nullptr;
  OCIDescriptorFreeFn DescriptorFree = nullptr;
  OCIAttrGetFn AttrGet = nullptr;
  OCIAttrSetFn AttrSet = nullptr;
  OCIServerAttachFn ServerAttach = nullptr;
  OCIServerDetachFn ServerDetach = nullptr;
  OCISessionBeginFn SessionBegin = nullptr;
  OCISessionEndFn SessionEnd = nullptr;
  OCIStmtPrepare2Fn StmtPrepare2 = nullptr;
  OCIStmtReleaseFn StmtRelease = nullptr;
  OCIStmtExecuteFn StmtExecute = nullptr;
  OCIParamGetFn ParamGet = nullptr;
  OCIDefineByPos2Fn DefineByPos2 = nullptr;
  OCIDefineDynamicFn DefineDynamic = nullptr;
  OCIStmtFetch2Fn StmtFetch2 = nullptr;
  OCIErrorGetFn ErrorGet = nullptr;
  OCILobRead2Fn LobRead2 = nullptr;
};

// Names the override variable that points at one client library file (tests use it for the
// test double; users for a library in an unusual place).
inline constexpr const char* kOciLibraryVariable = "SKERROW_OCI_LIBRARY";
inline constexpr const char* kOciLibraryName = "libclntsh.so";

// The names the client library goes by, in the order they are tried: the development link,
// then the versioned names Instant Client installs without it, newest first.
const std::vector<std::string>& OciLibraryNames();

// One place the client library is looked for: a file name for the dynamic loader's own search
// (the library search path) or an absolute path; `file` is empty for a place that holds none.
struct LibraryCandidate {
  std::string file;
  std::string shownAs;  // how the place is named in a message
};

// A folder whose sub-folders hold client installations, each in `tail` below it:
// /opt/oracle/instantclient_21_13, or /usr/lib/oracle/21/client64/lib.
struct ClientFolderRoot {
  std::filesystem::path parent;
  std::filesystem::path tail;
  std::string shownAs;  // "/opt/oracle/*"
};

// Where the library is looked for.
struct LibrarySearch {
  std::optional<std::string> overrideFile;  // SKERROW_OCI_LIBRARY: then nothing else
  std::optional<std::filesystem::path> oracleHome;
  std::vector<ClientFolderRoot> roots;
};

// SKERROW_OCI_LIBRARY, ORACLE_HOME, /usr/lib/oracle/*/client64/lib and /opt/oracle/*.
LibrarySearch LibrarySearchFromEnvironment();

// The candidates in search order: the override alone when set; otherwise every name on the
// library search path, then each folder's files ($ORACLE_HOME/lib, then the installation
// folders of each root, the highest version number first: instantclient_21_13 before
// instantclient_21_9).
std::vector<LibraryCandidate> OciLibraryCandidates(const LibrarySearch& search);
std::vector<LibraryCandidate> OciLibraryCandidates();

// A loaded client library. It stays mapped after release (the client keeps threads and
// handlers of its own), but every open reference is counted by the loader.
class OciLibrary {
 public:
  ~OciLibrary();
  OciLibrary(const OciLibrary&) = delete;
  OciLibrary& operator=(const OciLibrary&) = delete;

  const OciFunctions& Functions() const { return functions_; }
  const std::string& Path() const { return path_; }

  // Loads the first candidate that can be loaded and resolves every entry point. Raises
  // SourceError with kCodeOracleClientNotFound naming every place it looked and why a found
  // file was refused; `serviceName` is named with `embeddedSearchPath`, the directories where
  // no embedded instance of that name was found.
  static std::shared_ptr<OciLibrary> Load(
      const std::vector<LibraryCandidate>& candidates, const std::string& serviceName,
      const std::vector<std::filesystem::path>& embeddedSearchPath);

 private:
  OciLibrary(void* handle, std::string path) : handle_(handle), path_(std::move(path)) {}

  void* handle_;
  std::string path_;
  OciFunctions functions_;
};

}  // namespace skerrow::oci
