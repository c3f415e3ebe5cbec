#include "db/source_connection.h"

namespace skerrow {

// Placeholder until the embedded Oracle lands.
SourceConnection::SourceConnection() = default;
SourceConnection::~SourceConnection() = default;
void SourceConnection::Create() { created_ = true; backend_.reset(); }
void SourceConnection::Open(const std::string&, const std::string&, const std::string&, long) {
  throw SourceError(std::nullopt, kCodeNotImplemented, std::nullopt);
}
void SourceConnection::Execute(const std::string&) {
  throw SourceError(std::nullopt, kCodeInvalidPointer, std::nullopt);
}
RowArray SourceConnection::GetRows(long) {
  throw SourceError(std::nullopt, kCodeInvalidPointer, std::nullopt);
}
bool SourceConnection::EndOfRows() { return true; }
int SourceConnection::FieldCount() {
  throw SourceError(std::nullopt, kCodeInvalidPointer, std::nullopt);
}

}  // namespace skerrow
