#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "db/target_connection.h"

namespace skerrow {

// The outcome of one statement sent through a StatementPipe.
struct StatementResult {
  bool ok = true;
  unsigned errorNumber = 0;
  std::string message;
  // The server connection is gone: further statements would fail too.
  bool connectionLost = false;
};

// Sends statements on the target connection's handle without waiting for them, so the next
// rows can be read and rendered while the server stores the last ones. At most one statement
// is outstanding; Finish must be called before anything else uses the connection.
class StatementPipe {
 public:
  explicit StatementPipe(TargetConnection& target) : target_(target) {}
  ~StatementPipe();
  StatementPipe(const StatementPipe&) = delete;
  StatementPipe& operator=(const StatementPipe&) = delete;

  // Sends `statement` and returns once it is on its way. A failure to send is the result
  // Finish then gives.
  void Start(std::string_view statement);
  bool Pending() const { return pending_; }
  // Waits for the outstanding statement's result (any result set is read and dropped).
  StatementResult Finish();
  // Start and Finish.
  StatementResult Run(std::string_view statement);

  // The first column of the first row of `query` as a number; nullopt, with `failure` set,
  // when the query failed or gave no number.
  std::optional<std::uint64_t> Number(std::string_view query, StatementResult& failure);

 private:
  StatementResult Failure() const;

  TargetConnection& target_;
  bool pending_ = false;
  std::optional<StatementResult> sendFailure_;
};

}  // namespace skerrow
