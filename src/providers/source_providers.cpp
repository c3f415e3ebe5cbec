#include "providers/source_providers.h"

#include "oci/oci_session.h"
#include "oracle/embedded_instance.h"
#include "oracle/embedded_provider.h"

namespace skerrow {

namespace {

class EmbeddedProvider : public SourceProvider {
 public:
  bool Serves(const std::string& dataSource) const override {
    return oracle::IsEmbeddedInstance(dataSource);
  }
  std::unique_ptr<SourceBackend> Open(const std::string& dataSource, const std::string& user,
                                      const std::string& password) const override {
    return oracle::OpenEmbeddedSession(dataSource, user, password);
  }
};

class OciProvider : public SourceProvider {
 public:
  bool Serves(const std::string& /*dataSource*/) const override { return true; }
  std::unique_ptr<SourceBackend> Open(const std::string& dataSource, const std::string& user,
                                      const std::string& password) const override {
    // A missing client library is told together with where embedded instances were looked for.
    return oci::OpenOciSession(dataSource, user, password, oracle::InstanceSearchPath());
  }
};

}  // namespace

SourceProviders StandardSourceProviders() {
  return {std::make_shared<EmbeddedProvider>(), std::make_shared<OciProvider>()};
}

}  // namespace skerrow
