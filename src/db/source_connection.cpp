#include "db/source_connection.h"

#include "db/connection_string.h"
#include "oci/oci_session.h"
#include "oracle/embedded_provider.h"

namespace skerrow {

namespace {

constexpr const char* kConnectionSource = "Skerrow Source Connection";

[[noreturn]] void RaiseInvalidPointer() {
  throw SourceError(std::string(kConnectionSource), kCodeInvalidPointer, std::nullopt);
}

}  // namespace

SourceConnection::SourceConnection() = default;
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
  // An embedded instance of that name wins; anything else is a connect identifier for
  // Oracle's own client (a tnsnames alias or an Easy Connect text).
  if (oracle::IsEmbeddedInstance(dataSource))
    backend_ = oracle::OpenEmbeddedSession(dataSource, user, password);
  else
    backend_ = oci::OpenOciSession(dataSource, user, password);
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
