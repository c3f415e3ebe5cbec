#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "db/source_backend.h"
#include "oci/oci_library.h"

namespace skerrow::oci {

// The component name every error of a live Oracle session carries.
inline constexpr const char* kOciSourceName = "Oracle Call Interface";

// Rows asked for per fetch round trip (fewer when the rows are wide).
inline constexpr unsigned kRowsPerFetch = 256;

// Logs on to the database that `connectIdentifier` (a tnsnames alias or an Easy Connect text)
// names, through the client library found on this machine. Raises SourceError: the
// missing-client error of OciLibrary::Load (which names `embeddedSearchPath`, where embedded
// instances were looked for), or Oracle's own ORA- text (ORA-12154, ORA-01017).
std::unique_ptr<SourceBackend> OpenOciSession(
    const std::string& connectIdentifier, const std::string& user, const std::string& password,
    const std::vector<std::filesystem::path>& embeddedSearchPath);

// The same through an already loaded library.
std::unique_ptr<SourceBackend> OpenOciSession(std::shared_ptr<OciLibrary> library,
                                              const std::string& connectIdentifier,
                                              const std::string& user, const std::string& password);

}  // namespace skerrow::oci
