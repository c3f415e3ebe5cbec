#include "transfer/batched_row_writer.h"

#include <algorithm>
#include <utility>

namespace skerrow {

namespace {

// Room left in a server packet for the command byte and the packet headers.
constexpr std::uint64_t kPacketMargin = 1024;

}  // namespace

BatchedRowWriter::BatchedRowWriter(TargetConnection& target, std::string insertPrefix,
                                   std::string countQuery, std::size_t maxStatementBytes,
                                   std::size_t maxStatementRows, TableReport& report)
    : pipe_(target),
      report_(report),
      countQuery_(std::move(countQuery)),
      maxStatementBytes_(maxStatementBytes),
      maxRows_(maxStatementRows == 0 ? kNoRowCap : maxStatementRows),
      rowCap_(maxRows_),
      building_(insertPrefix),
      outstanding_(insertPrefix) {}

bool BatchedRowWriter::Add(std::string_view values, std::int64_t sourceRow) {
  if (!prepared_ && !Prepare()) return false;
  if (!building_.Empty() &&
      (building_.RowCount() >= rowCap_ || building_.SizeWith(values.size()) > maxStatementBytes_)) {
    if (!Dispatch()) return false;
  }
  building_.Add(values, sourceRow);
  return true;
}

bool BatchedRowWriter::Reject(std::int64_t sourceRow, const std::string& reason) {
  // The rows before it are settled first, so the refusals are kept in source order.
  if (!Flush()) return false;
  RefuseRow(report_, sourceRow, reason);
  ++rowsDone_;
  return true;
}

bool BatchedRowWriter::Flush() {
  if (!CompleteOutstanding()) return false;
  if (building_.Empty()) return true;
  const bool connected = SendRows(building_, 0, building_.RowCount());
  building_.Clear();
  return connected;
}

bool BatchedRowWriter::Prepare() {
  prepared_ = true;
  StatementResult failure;
  const auto packet = pipe_.Number("SELECT @@SESSION.max_allowed_packet", failure);
  if (failure.connectionLost) return Lost(failure, 0);
  if (packet && *packet > kPacketMargin)
    maxStatementBytes_ = static_cast<std::size_t>(
        std::min<std::uint64_t>(maxStatementBytes_, *packet - kPacketMargin));
  rowsBefore_ = pipe_.Number(countQuery_, failure);
  if (failure.connectionLost) return Lost(failure, 0);
  return true;
}

bool BatchedRowWriter::Dispatch() {
  if (!CompleteOutstanding()) return false;
  std::swap(building_, outstanding_);
  building_.Clear();
  pipe_.Start(outstanding_.Statement());
  return true;
}

bool BatchedRowWriter::CompleteOutstanding() {
  if (!pipe_.Pending()) return true;
  const StatementResult result = pipe_.Finish();
  const bool connected = Settle(outstanding_, 0, outstanding_.RowCount(), result);
  outstanding_.Clear();
  return connected;
}

bool BatchedRowWriter::Settle(RowBatch& batch, std::size_t first, std::size_t end,
                              const StatementResult& result) {
  const std::size_t rows = end - first;
  if (result.ok) {
    Written(rows);
    rowCap_ = rowCap_ > maxRows_ / 2 ? maxRows_ : rowCap_ * 2;
    return true;
  }
  if (result.connectionLost) return Lost(result, rows);
  if (rows == 1) {
    RefuseRow(report_, batch.SourceRow(first), result.message);
    ++rowsDone_;
    return true;
  }
  const std::optional<std::size_t> stored = RowsStored(rows);
  if (!stored) return false;  // the connection was lost while counting
  Written(*stored);
  rowCap_ = std::max<std::size_t>(1, rows / 2);
  const std::size_t refused = first + *stored;
  return SendRows(batch, refused, refused + 1) && SendRows(batch, refused + 1, end);
}

bool BatchedRowWriter::SendRows(RowBatch& batch, std::size_t first, std::size_t end) {
  while (first < end) {
    const std::size_t rows = std::min(end - first, rowCap_);
    const StatementResult result = first == 0 && rows == batch.RowCount()
                                       ? pipe_.Run(batch.Statement())
                                       : pipe_.Run(batch.Statement(first, first + rows));
    if (!Settle(batch, first, first + rows, result)) return false;
    first += rows;
  }
  return true;
}

std::optional<std::size_t> BatchedRowWriter::RowsStored(std::size_t rows) {
  StatementResult failure;
  const auto count = pipe_.Number(countQuery_, failure);
  if (failure.connectionLost) {
    Lost(failure, rows);
    return std::nullopt;
  }
  // A table the server cannot count cannot have stored anything either.
  if (!count || !rowsBefore_) return 0;
  const std::uint64_t expected = *rowsBefore_ + static_cast<std::uint64_t>(rowsWritten_);
  if (*count <= expected) return 0;
  // The refused row itself was not stored; more would mean someone else writes to the table.
  return static_cast<std::size_t>(std::min<std::uint64_t>(*count - expected, rows - 1));
}

void BatchedRowWriter::Written(std::size_t rows) {
  rowsWritten_ += static_cast<std::int64_t>(rows);
  rowsDone_ += static_cast<std::int64_t>(rows);
  report_.rowsWritten += static_cast<std::int64_t>(rows);
}

bool BatchedRowWriter::Lost(const StatementResult& result, std::size_t rowsInDoubt) {
  lostMessage_ = result.message;
  rowsInDoubt_ = static_cast<std::int64_t>(rowsInDoubt);
  return false;
}

}  // namespace skerrow
