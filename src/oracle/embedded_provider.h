#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "db/source_backend.h"

namespace skerrow::oracle {

// True when `dataSource` names an embedded instance found on SKERROW_ORACLE_PATH.
bool IsEmbeddedInstance(const std::string& dataSource);

// Logs on to an embedded instance; raises SourceError (ORA-12154, ORA-01017, ...).
std::unique_ptr<SourceBackend> OpenEmbeddedSession(const std::string& dataSource,
                                                   const std::string& user,
                                                   const std::string& password);

// Logs on to the instance in `directory` itself, without a name lookup.
std::unique_ptr<SourceBackend> OpenEmbeddedSessionAt(const std::filesystem::path& directory,
                                                     const std::string& user,
                                                     const std::string& password);

}  // namespace skerrow::oracle
