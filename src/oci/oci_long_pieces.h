#pragma once

#include <cstddef>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "oci/oci_api.h"

namespace skerrow::oci {

// The values of one LONG or LONG RAW column in one array fetch, received piece by piece through
// the define callback of OCI_DYNAMIC_FETCH, so that a value of any length (up to Oracle's 2 GiB)
// arrives whole. Register Callback with this object as its context.
class LongPieces {
 public:
  // Room for the `rows` values of the next fetch, each NULL until Oracle delivers it.
  void Reset(std::size_t rows);

  static sb4 Callback(void* context, OCIDefine* define, ub4 iter, void** bufpp, ub4** alenpp,
                      ub1* piecep, void** indpp, ub2** rcodep);

  // After the fetch: raises what went wrong inside the callback (which must not throw through
  // the client library).
  void RaiseFailure() const;

  // The value of `row` (nullopt for NULL), moved out. Raises SourceError when Oracle reported it
  // cut short.
  std::optional<std::string> Take(std::size_t row, std::size_t field);

 private:
  struct Value {
    std::string data;  // received bytes, then `room` bytes lent to Oracle for the current piece
    ub4 room = 0;
    ub4 pieceLength = 0;  // room given; Oracle sets the length received
    sb2 indicator = -1;
    ub2 returnCode = 0;
  };

  sb4 NextPiece(ub4 iter, void** bufpp, ub4** alenpp, ub1* piecep, void** indpp, ub2** rcodep);
  static void Settle(Value& value);

  std::vector<Value> values_;
  std::exception_ptr failure_;
};

}  // namespace skerrow::oci
