#pragma once

#include <memory>
#include <string>

#include "db/row_array.h"
#include "db/source_backend.h"
#include "db/source_error.h"
#include "db/source_provider.h"

namespace skerrow {

// All remaining rows.
inline constexpr long kGetRowsRest = -1;
// Open options: nothing special requested.
inline constexpr long kConnectUnspecified = -1;

// The one connection to the Oracle source. Create makes a fresh, unopened connection object
// (releasing the previous one); Open parses the connection string and opens a session of the
// first of the connection's providers that serves its Data Source. Every failure raises
// SourceError.
class SourceConnection {
 public:
  explicit SourceConnection(SourceProviders providers);
  ~SourceConnection();
  SourceConnection(const SourceConnection&) = delete;
  SourceConnection& operator=(const SourceConnection&) = delete;

  void Create();
  // Before Create: kCodeInvalidPointer. The user and password given here are the ones used;
  // Data Source comes from the connection string. No provider serves it: kCodeInvalidArgument.
  void Open(const std::string& connectionString, const std::string& user,
            const std::string& password, long options);
  // Before Create: kCodeInvalidPointer; created but not open: kCodeObjectClosed.
  void Execute(const std::string& sql);
  RowArray GetRows(long maxRows = kGetRowsRest);
  bool EndOfRows();
  int FieldCount();

  bool IsOpen() const { return backend_ != nullptr; }
  // The providers it chooses from, for a further connection that must choose the same way.
  const SourceProviders& Providers() const { return providers_; }

 private:
  SourceProviders providers_;
  bool created_ = false;
  std::unique_ptr<SourceBackend> backend_;
};

}  // namespace skerrow
