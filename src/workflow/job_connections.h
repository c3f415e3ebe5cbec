#pragma once

#include <optional>
#include <string>

#include "db/source_connection.h"
#include "db/target_connection.h"
#include "workflow/conversion_state.h"

namespace skerrow {

// The two connections of one job of a parallel run: a source session and a MySQL connection
// of its own.
struct JobConnections {
  explicit JobConnections(const SourceProviders& providers) : source(providers) {}

  SourceConnection source;
  TargetConnection target;
};

// Opens both the way the connection step opened the run's own: the same connection string to
// the same provider, the same server through the same ports. The reason, in words for the
// operator, when either could not be opened.
std::optional<std::string> OpenJobConnections(const ConnectionSettings& settings,
                                              JobConnections& connections);

}  // namespace skerrow
