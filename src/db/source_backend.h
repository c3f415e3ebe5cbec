#pragma once

#include <string>

#include "db/row_array.h"

namespace skerrow {

// One open session of a source provider (the embedded Oracle stand-in, or a real Oracle client).
// Every failure is raised as SourceError, filled the way the provider reports it.
class SourceBackend {
 public:
  virtual ~SourceBackend() = default;

  // Runs one SQL text; its result becomes the current result. A failure leaves the previous
  // result current.
  virtual void Execute(const std::string& sql) = 0;
  // Up to `maxRows` further rows of the current result (all remaining ones for a negative
  // count). No current result: kCodeInvalidPointer. No further row: kCodeNoCurrentRecord.
  virtual RowArray GetRows(long maxRows) = 0;
  // True when the current result has no further row (also when it had none at all).
  virtual bool EndOfRows() = 0;
  // Fields of the current result; no current result: kCodeInvalidPointer.
  virtual int FieldCount() = 0;
};

}  // namespace skerrow
