#include "db/source_connection.h"

#include <utility>

#include "db/connection_string.h"

namespace skerrow {

namespace {

constexpr const char* kConnectionSource = "Skerrow Source Connection";

[[noreturn]] void RaiseInvalidPointer() {
  throw SourceError(std::string(kConnectionSource), kCodeInvalidPointer, std::nullopt);
}

}  // namespace

SourceConnection::SourceConnection(SourceProviders providers) : providers_(std::move(providers)) {}
SourceConnection::~SourceConnection() = default;

void SourceConnection::Create() {
  backend_.reset();
  created_ = true;
}

void SourceConnection::Open(const std::string& connectionString, const std::string& user,
                            const std::string& password, long /*options*/) {
  if (!created_) RaiseInvalidPointer();
  backend_.reset();
  const std::string dataSource = ConnectionStringValue(connectionString, "Data Source");
  for (const auto& provider : providers_) {
    if (!provider->Serves(dataSource)) continue;
    backend_ = provider->Open(dataSource, user, password);
    return;
  }
  throw SourceError(std::string(kConnectionSource), kCodeInvalidArgument,
                    "No Oracle provider serves the data source \"" + dataSource + "\".");
}

void SourceConnection::Execute(const std::string& sql) {
  if (!created_) RaiseInvalidPointer();
  if (!backend_)
    throw SourceError(std::string(kConnectionSource), kCodeObjectClosed,
                      "Operation is not allowed when the object is closed.");
  backend_->Execute(sql);
}

RowArray SourceConnection::GetRows(long maxRows) {
  if (!backend_) RaiseInvalidPointer();
  return backend_->GetRows(maxRows);
}

bool SourceConnection::EndOfRows() {
  return !backend_ || backend_->EndOfRows();
}

int SourceConnection::FieldCount() {
  if (!backend_) RaiseInvalidPointer();
  return backend_->FieldCount();
}

}  // namespace skerrow
