#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "db/target_connection.h"
#include "transfer/table_report.h"

namespace skerrow {

// Writes the rows of one table to the target and keeps the table's row figures in its report:
// rows written, rows refused with the server's first messages ("Row N: ..."). Whatever the
// writer, the outcome is that of one INSERT per row sent in source order.
class RowWriter {
 public:
  virtual ~RowWriter() = default;

  // Takes one row: `values` is its rendered values joined by ","; `sourceRow` (counted from
  // 1) names it in a refusal message. The row may be sent now or with later rows. False when
  // the server connection was lost.
  virtual bool Add(std::string_view values, std::int64_t sourceRow) = 0;
  // Counts a row that cannot be written at all as refused, with `reason`, in its place among
  // the rows taken. False when the server connection was lost.
  virtual bool Reject(std::int64_t sourceRow, const std::string& reason) = 0;
  // Sends whatever is pending and waits for it: afterwards every row taken is written or
  // refused. False when the server connection was lost.
  virtual bool Flush() = 0;

  // Rows taken whose outcome is known (written or refused).
  virtual std::int64_t RowsDone() const = 0;
  // The server's message when the connection was lost.
  virtual const std::string& LostConnectionMessage() const = 0;
  // Rows of the statement the connection was lost on, which the server may have stored in
  // part (0 when none was outstanding).
  virtual std::int64_t RowsInDoubt() const = 0;
};

// One INSERT per row, each waited for before the next row is taken.
class SingleRowWriter : public RowWriter {
 public:
  SingleRowWriter(TargetConnection& target, std::string insertPrefix, TableReport& report);

  bool Add(std::string_view values, std::int64_t sourceRow) override;
  bool Reject(std::int64_t sourceRow, const std::string& reason) override;
  bool Flush() override { return true; }
  std::int64_t RowsDone() const override { return rowsDone_; }
  const std::string& LostConnectionMessage() const override { return target_.LastErrorMessage(); }
  std::int64_t RowsInDoubt() const override { return lost_ ? 1 : 0; }

  // The statement text of the last row taken.
  const std::string& LastStatement() const { return statement_; }

 private:
  TargetConnection& target_;
  std::string prefix_;
  TableReport& report_;
  std::string statement_;
  std::int64_t rowsDone_ = 0;
  bool lost_ = false;
};

// Counts a refused row and keeps its message while there is room.
void RefuseRow(TableReport& report, std::int64_t sourceRow, const std::string& serverMessage);

// Appends a server message to the report's kept refusal messages while there is room.
void KeepRefusalMessage(TableReport& report, std::string message);

}  // namespace skerrow
