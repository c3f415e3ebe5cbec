#include "oci/oci_long_pieces.h"

#include <algorithm>
#include <stdexcept>

#include "oci/oci_error.h"

namespace skerrow::oci {

namespace {

// A value's first piece; each further one as large as what has arrived so far, up to the cap.
constexpr ub4 kFirstPieceSize = 64 * 1024;
constexpr ub4 kMaxPieceSize = 8u << 20;

}  // namespace

void LongPieces::Reset(std::size_t rows) {
  values_.assign(rows, Value{});
  failure_ = nullptr;
}

sb4 LongPieces::Callback(void* context, OCIDefine*, ub4 iter, void** bufpp, ub4** alenpp,
                         ub1* piecep, void** indpp, ub2** rcodep) {
  auto* self = static_cast<LongPieces*>(context);
  try {
    return self->NextPiece(iter, bufpp, alenpp, piecep, indpp, rcodep);
  } catch (...) {
    self->failure_ = std::current_exception();
    return OCI_ERROR;  // anything but OCI_CONTINUE ends the fetch
  }
}

void LongPieces::Settle(Value& value) {
  value.data.resize(value.data.size() - value.room + std::min(value.pieceLength, value.room));
  value.room = 0;
  value.pieceLength = 0;
}

sb4 LongPieces::NextPiece(ub4 iter, void** bufpp, ub4** alenpp, ub1* piecep, void** indpp,
                          ub2** rcodep) {
  if (iter >= values_.size())
    throw OciDataError("The Oracle client asked for row " + std::to_string(iter + 1) +
                       " of a fetch of " + std::to_string(values_.size()) + " rows.");
  Value& value = values_[iter];
  if (*piecep == OCI_NEXT_PIECE) {
    Settle(value);
  } else {
    value = Value{};
  }
  const std::size_t received = value.data.size();
  if (received >= static_cast<std::size_t>(SB4MAXVAL))
    throw OciDataError("A LONG value went on past 2 GiB, the most Oracle can hold.");
  const auto room = static_cast<ub4>(
      std::min<std::size_t>({std::max<std::size_t>(received, kFirstPieceSize), kMaxPieceSize,
                             static_cast<std::size_t>(SB4MAXVAL) - received}));
  value.data.resize(received + room);
  value.room = room;
  value.pieceLength = room;
  value.indicator = 0;
  value.returnCode = 0;
  *bufpp = value.data.data() + received;
  *alenpp = &value.pieceLength;
  *indpp = &value.indicator;
  *rcodep = &value.returnCode;
  // The first call of a value starts it in pieces; every later one continues it.
  *piecep = *piecep == OCI_NEXT_PIECE ? OCI_NEXT_PIECE : OCI_FIRST_PIECE;
  return OCI_CONTINUE;
}

void LongPieces::RaiseFailure() const {
  if (failure_) std::rethrow_exception(failure_);
}

std::optional<std::string> LongPieces::Take(std::size_t row, std::size_t field) {
  Value& value = values_.at(row);
  Settle(value);
  if (value.indicator == -1) return std::nullopt;
  if (value.indicator != 0 || value.returnCode == kReturnCodeTruncated)
    throw OciDataError("The LONG value of field " + std::to_string(field + 1) +
                       " arrived cut short (after " + std::to_string(value.data.size()) +
                       " bytes) and was not read.");
  return std::move(value.data);
}

}  // namespace skerrow::oci
