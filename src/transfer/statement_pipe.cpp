#include "transfer/statement_pipe.h"

#include <errmsg.h>
#include <mysql.h>

#include <charconv>
#include <utility>

namespace skerrow {

namespace {

StatementResult NotConnected() {
  StatementResult result;
  result.ok = false;
  result.errorNumber = CR_SERVER_GONE_ERROR;
  result.message = "Not connected to a MySQL server.";
  result.connectionLost = true;
  return result;
}

}  // namespace

StatementPipe::~StatementPipe() {
  // A statement still on its way must not be left for the connection's next user.
  if (pending_) static_cast<void>(Finish());
}

StatementResult StatementPipe::Failure() const {
  MYSQL* handle = target_.Handle();
  StatementResult result;
  result.ok = false;
  result.errorNumber = mysql_errno(handle);
  result.message = mysql_error(handle);
  result.connectionLost = IsConnectionLostError(result.errorNumber);
  return result;
}

void StatementPipe::Start(std::string_view statement) {
  pending_ = true;
  sendFailure_.reset();
  if (!target_.Handle() || !target_.IsConnected()) {
    sendFailure_ = NotConnected();
    return;
  }
  if (mysql_send_query(target_.Handle(), statement.data(),
                       static_cast<unsigned long>(statement.size())) != 0)
    sendFailure_ = Failure();
}

StatementResult StatementPipe::Finish() {
  pending_ = false;
  if (sendFailure_) return *std::exchange(sendFailure_, std::nullopt);
  MYSQL* handle = target_.Handle();
  if (mysql_read_query_result(handle) != 0) return Failure();
  if (MYSQL_RES* rows = mysql_store_result(handle)) mysql_free_result(rows);
  return {};
}

StatementResult StatementPipe::Run(std::string_view statement) {
  Start(statement);
  return Finish();
}

std::optional<std::uint64_t> StatementPipe::Number(std::string_view query,
                                                   StatementResult& failure) {
  if (!target_.Handle() || !target_.IsConnected()) {
    failure = NotConnected();
    return std::nullopt;
  }
  MYSQL* handle = target_.Handle();
  if (mysql_real_query(handle, query.data(), static_cast<unsigned long>(query.size())) != 0) {
    failure = Failure();
    return std::nullopt;
  }
  MYSQL_RES* rows = mysql_store_result(handle);
  if (!rows) {
    failure = Failure();
    return std::nullopt;
  }
  std::optional<std::uint64_t> number;
  MYSQL_ROW row = mysql_fetch_row(rows);
  unsigned long* lengths = row ? mysql_fetch_lengths(rows) : nullptr;
  if (row && row[0] && lengths) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(row[0], row[0] + lengths[0], value);
    if (error == std::errc() && end == row[0] + lengths[0]) number = value;
  }
  mysql_free_result(rows);
  if (!number) {
    failure = StatementResult{
        false, 0, "The server's answer to \"" + std::string(query) + "\" was not a number.", false};
  }
  return number;
}

}  // namespace skerrow
