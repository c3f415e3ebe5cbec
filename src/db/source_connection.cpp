#include "db/source_connection.h"

#include <string_view>
#include <utility>

#include "text/ascii.h"

namespace skerrow {

namespace {

constexpr const char* kConnectionSource = "Skerrow Source Connection";

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
      if (text::EqualsIgnoringAsciiCase(text::TrimmedView(part.substr(0, equals)), key))
        return std::string(part.substr(equals + 1));
    }
    start = end + 1;
  }
  return {};
}

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
