#include "db/source_connection.h"

#include <cctype>
#include <string_view>

#include "oci/oci_session.h"
#include "oracle/embedded_provider.h"

namespace skerrow {

namespace {

constexpr const char* kConnectionSource = "Skerrow Source Connection";

bool SameKey(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// The value of `key` in a "Key=Value;Key=Value" connection string (keys without regard to case
// and surrounding blanks); empty when absent.
std::string ConnectionStringValue(std::string_view text, std::string_view key) {
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(';', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view part = text.substr(start, end - start);
    const std::size_t equals = part.find('=');
    if (equals != std::string_view::npos) {
      std::string_view name = part.substr(0, equals);
      while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
      while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
      if (SameKey(name, key)) return std::string(part.substr(equals + 1));
    }
    start = end + 1;
  }
  return {};
}

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
