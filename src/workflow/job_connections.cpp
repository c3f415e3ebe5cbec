#include "workflow/job_connections.h"

namespace skerrow {

std::optional<std::string> OpenJobConnections(const ConnectionSettings& settings,
                                              JobConnections& connections) {
  try {
    connections.source.Create();
    connections.source.Open(settings.sourceConnectionString, settings.oracleUser,
                            settings.oraclePassword, kConnectUnspecified);
  } catch (const SourceError& error) {
    return "a further Oracle session could not be opened: " +
           error.Description().value_or(error.SystemMessage());
  }
  connections.target.Init();
  if (!connections.target.Connect(settings.mysqlServer, settings.mysqlLogin,
                                  settings.mysqlPassword))
    return "a further connection to MySQL could not be opened: " +
           connections.target.LastErrorMessage();
  return std::nullopt;
}

}  // namespace skerrow
