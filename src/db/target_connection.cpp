#include "db/target_connection.h"

#include <errmsg.h>
#include <mysql.h>

#include <optional>
#include <tuple>
#include <utility>

namespace skerrow {

namespace {

// A refused or unreachable port must not stall the connection step for long.
constexpr unsigned kConnectTimeoutSeconds = 10;

}  // namespace

void TargetConnection::HandleCloser::operator()(st_mysql* handle) const {
  mysql_close(handle);
}

TargetConnection::~TargetConnection() = default;

void TargetConnection::Init() {
  Close();
  handle_.reset(mysql_init(nullptr));
  // A null handle (out of memory) makes Connect report the failure.
}

void TargetConnection::ApplyOptions() {
  // Every character must reach the server unchanged; the library's default differs between
  // versions and the server's default is latin1.
  mysql_optionsv(handle_.get(), MYSQL_SET_CHARSET_NAME, "utf8mb4");
  // The fixed port list only means something over TCP; "localhost" would otherwise pick the
  // Unix socket.
  unsigned protocol = MYSQL_PROTOCOL_TCP;
  mysql_optionsv(handle_.get(), MYSQL_OPT_PROTOCOL, &protocol);
  unsigned timeout = kConnectTimeoutSeconds;
  mysql_optionsv(handle_.get(), MYSQL_OPT_CONNECT_TIMEOUT, &timeout);
}

bool TargetConnection::Connect(const std::string& host, const std::string& user,
                               const std::string& password) {
  connected_ = false;
  connectedPort_ = 0;
  attemptedPorts_.clear();
  if (!handle_) {
    lastErrorNumber_ = CR_OUT_OF_MEMORY;
    lastErrorMessage_ = "The MySQL client library could not create a connection handle.";
    return false;
  }
  // A server that answered (and refused) says more than the ports after it where none listens.
  std::optional<std::pair<unsigned, std::string>> serverAnswer;
  for (int port : kPorts) {
    attemptedPorts_.push_back(port);
    // A failed attempt clears the handle's options (the client flags are 0, so options are
    // not remembered): set them again for every port.
    ApplyOptions();
    if (mysql_real_connect(handle_.get(), host.c_str(), user.c_str(), password.c_str(), "",
                           static_cast<unsigned>(port), nullptr, 0) != nullptr) {
      connected_ = true;
      connectedPort_ = port;
      lastErrorNumber_ = 0;
      lastErrorMessage_.clear();
      return true;
    }
    RememberError();
    if (!serverAnswer && lastErrorNumber_ < CR_MIN_ERROR)
      serverAnswer.emplace(lastErrorNumber_, lastErrorMessage_);
  }
  if (serverAnswer) std::tie(lastErrorNumber_, lastErrorMessage_) = *serverAnswer;
  return false;
}

bool TargetConnection::Query(std::string_view statement) {
  if (!handle_ || !connected_) {
    lastErrorNumber_ = CR_SERVER_GONE_ERROR;
    lastErrorMessage_ = "Not connected to a MySQL server.";
    return false;
  }
  if (mysql_real_query(handle_.get(), statement.data(), statement.size()) != 0) {
    RememberError();
    return false;
  }
  // A statement that returns rows (none of ours is meant to) must not leave them pending.
  if (MYSQL_RES* result = mysql_store_result(handle_.get())) mysql_free_result(result);
  lastErrorNumber_ = 0;
  lastErrorMessage_.clear();
  return true;
}

void TargetConnection::Close() {
  handle_.reset();
  connected_ = false;
  connectedPort_ = 0;
}

bool IsConnectionLostError(unsigned errorNumber) {
  switch (errorNumber) {
    case CR_SERVER_GONE_ERROR:
    case CR_SERVER_LOST:
    case CR_CONNECTION_ERROR:
    case CR_CONN_HOST_ERROR:
    case CR_SERVER_LOST_EXTENDED:
    case 1053:  // ER_SERVER_SHUTDOWN
    case 1927:  // ER_CONNECTION_KILLED
      return true;
    default:
      return false;
  }
}

bool TargetConnection::LastErrorLostConnection() const {
  return IsConnectionLostError(lastErrorNumber_);
}

std::uint64_t TargetConnection::AffectedRows() const {
  return handle_ ? mysql_affected_rows(handle_.get()) : 0;
}

unsigned TargetConnection::WarningCount() const {
  return handle_ ? mysql_warning_count(handle_.get()) : 0;
}

std::string TargetConnection::EscapeString(std::string_view text) const {
  std::string escaped(text.size() * 2 + 1, '\0');
  // Without a handle the library's default character set is used, which only exists once the
  // library is initialised (mysql_init does that, but no handle may have been made yet).
  if (!handle_) {
    static const bool initialised = mysql_library_init(0, nullptr, nullptr) == 0;
    (void)initialised;
  }
  unsigned long length =
      handle_ ? mysql_real_escape_string(handle_.get(), escaped.data(), text.data(), text.size())
              : mysql_escape_string(escaped.data(), text.data(), text.size());
  escaped.resize(length);
  return escaped;
}

void TargetConnection::RememberError() {
  lastErrorNumber_ = mysql_errno(handle_.get());
  lastErrorMessage_ = mysql_error(handle_.get());
}

std::string QuoteMySqlIdentifier(std::string_view name) {
  std::string quoted;
  quoted.reserve(name.size() + 2);
  quoted.push_back('`');
  for (char c : name) {
    if (c == '`') quoted.push_back('`');
    quoted.push_back(c);
  }
  quoted.push_back('`');
  return quoted;
}

}  // namespace skerrow
