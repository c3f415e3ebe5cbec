#pragma once

#include <memory>
#include <string>
#include <vector>

#include "db/source_backend.h"

namespace skerrow {

// One kind of Oracle source SourceConnection can open a session of (the embedded stand-in,
// Oracle's client library). The providers of a connection are tried in order; the first that
// serves a Data Source opens it.
class SourceProvider {
 public:
  virtual ~SourceProvider() = default;

  // True when this provider is the one for `dataSource`.
  virtual bool Serves(const std::string& dataSource) const = 0;
  // Logs on; raises SourceError as the provider reports it (ORA-12154, ORA-01017, ...).
  virtual std::unique_ptr<SourceBackend> Open(const std::string& dataSource,
                                              const std::string& user,
                                              const std::string& password) const = 0;
};

using SourceProviders = std::vector<std::shared_ptr<const SourceProvider>>;

}  // namespace skerrow
