#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "transfer/row_batch.h"
#include "transfer/row_insertion.h"
#include "transfer/statement_pipe.h"

namespace skerrow {

// Writes many rows per INSERT, and builds the next statement while the server stores the last
// one. The outcome stays that of one INSERT per row: a statement the server refuses stopped at
// one row, and the MyISAM table keeps the rows before it, so the table's row count tells where;
// those rows count as written, the refused row is sent again alone (to be refused with exactly
// the message it gets on its own, or written), and the rows after it are sent again in smaller
// statements until the trouble has passed.
class BatchedRowWriter : public RowWriter {
 public:
  // `countQuery` counts the rows of the target table. No statement grows beyond
  // `maxStatementBytes` nor beyond what the server accepts, except a single row larger than
  // that, which goes alone; none carries more than `maxStatementRows` rows (0: no limit).
  BatchedRowWriter(TargetConnection& target, std::string insertPrefix, std::string countQuery,
                   std::size_t maxStatementBytes, std::size_t maxStatementRows,
                   TableReport& report);

  bool Add(std::string_view values, std::int64_t sourceRow) override;
  bool Reject(std::int64_t sourceRow, const std::string& reason) override;
  bool Flush() override;
  std::int64_t RowsDone() const override { return rowsDone_; }
  const std::string& LostConnectionMessage() const override { return lostMessage_; }
  std::int64_t RowsInDoubt() const override { return rowsInDoubt_; }

 private:
  static constexpr std::size_t kNoRowCap = std::numeric_limits<std::size_t>::max();

  bool Prepare();
  bool Dispatch();
  bool CompleteOutstanding();
  // The outcome of a statement that carried the rows [first, end) of `batch`.
  bool Settle(RowBatch& batch, std::size_t first, std::size_t end, const StatementResult& result);
  // Sends the rows [first, end) of `batch` and waits for each statement.
  bool SendRows(RowBatch& batch, std::size_t first, std::size_t end);
  // How many of a refused statement's `rows` the table stored before the refused one.
  std::optional<std::size_t> RowsStored(std::size_t rows);
  void Written(std::size_t rows);
  bool Lost(const StatementResult& result, std::size_t rowsInDoubt);

  StatementPipe pipe_;
  TableReport& report_;
  std::string countQuery_;
  std::size_t maxStatementBytes_;
  std::size_t maxRows_;
  // Rows per statement; lowered after a refusal, raised again as statements succeed.
  std::size_t rowCap_;
  RowBatch building_;
  RowBatch outstanding_;
  bool prepared_ = false;
  // Rows the table held before this copy; absent when the server could not count them.
  std::optional<std::uint64_t> rowsBefore_;
  std::int64_t rowsWritten_ = 0;
  std::int64_t rowsDone_ = 0;
  std::string lostMessage_;
  std::int64_t rowsInDoubt_ = 0;
};

}  // namespace skerrow
