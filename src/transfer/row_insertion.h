#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "db/target_connection.h"
#include "workflow/run_report.h"

namespace skerrow {

enum class RowOutcome { Written, Refused, ConnectionLost };

// Sends the rows of one table to the target, one INSERT per row, and keeps the table's row
// figures in its report: rows written, rows refused with the server's first messages.
class RowInserter {
 public:
  RowInserter(TargetConnection& target, std::string insertPrefix, TableReport& report);

  // `values` is the row's rendered values joined by ","; `sourceRow` (counted from 1) names
  // the row in a refusal message.
  RowOutcome Send(std::string_view values, std::int64_t sourceRow);

  // The statement text of the last Send.
  const std::string& LastStatement() const { return statement_; }

 private:
  TargetConnection& target_;
  std::string prefix_;
  TableReport& report_;
  std::string statement_;
};

// Appends a server message to the report's kept refusal messages while there is room.
void KeepRefusalMessage(TableReport& report, std::string message);

}  // namespace skerrow
