#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct st_mysql;

namespace skerrow {

// True for the client and server errors after which the connection is gone.
bool IsConnectionLostError(unsigned errorNumber);

// The one connection to the MySQL (MariaDB) server that receives the converted database.
// Init makes a new client handle, Connect tries the ports 3306, 3307, 3308 and 3309 in turn
// over TCP, Query sends one statement and tells success or failure. The handle is closed when
// the object is destroyed or Close is called.
class TargetConnection {
 public:
  static constexpr int kPorts[] = {3306, 3307, 3308, 3309};

  TargetConnection() = default;
  ~TargetConnection();
  TargetConnection(const TargetConnection&) = delete;
  TargetConnection& operator=(const TargetConnection&) = delete;

  // A fresh client handle (utf8mb4, TCP); a previous handle is closed.
  void Init();
  // Host, user and password exactly as typed; no default database, no socket, flags 0.
  bool Connect(const std::string& host, const std::string& user, const std::string& password);
  // Sends one statement; any result set it produces is read and discarded. On failure the
  // server's error number and message are kept (LastErrorNumber, LastErrorMessage).
  bool Query(std::string_view statement);
  // Closes the handle; nothing when there is none.
  void Close();

  bool IsConnected() const { return connected_; }
  // The port of the successful Connect (0 when not connected), and every port tried by the
  // last Connect, in order.
  int ConnectedPort() const { return connectedPort_; }
  const std::vector<int>& AttemptedPorts() const { return attemptedPorts_; }

  // Of the last failed Connect or Query (0 and "" after a success).
  unsigned LastErrorNumber() const { return lastErrorNumber_; }
  const std::string& LastErrorMessage() const { return lastErrorMessage_; }
  // True when the last failure means the server connection is gone (2006, 2013, 2055, ...):
  // further statements would fail too.
  bool LastErrorLostConnection() const;

  // Rows changed by the last successful statement, and its warning count.
  std::uint64_t AffectedRows() const;
  unsigned WarningCount() const;

  // `text` as the body of a single-quoted string literal, escaped by the client library for
  // the connection's character set (a backslash, quote, NUL, ... can never end the literal).
  std::string EscapeString(std::string_view text) const;

  // The raw handle for the fast row path (nullptr when absent).
  st_mysql* Handle() const { return handle_.get(); }

 private:
  struct HandleCloser {
    void operator()(st_mysql* handle) const;
  };
  void ApplyOptions();
  void RememberError();

  std::unique_ptr<st_mysql, HandleCloser> handle_;
  bool connected_ = false;
  int connectedPort_ = 0;
  std::vector<int> attemptedPorts_;
  unsigned lastErrorNumber_ = 0;
  std::string lastErrorMessage_;
};

// `name` as a MySQL identifier in backticks, with every backtick doubled.
std::string QuoteMySqlIdentifier(std::string_view name);

}  // namespace skerrow
