#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "transfer/rounded_values.h"
#include "transfer/schema_note.h"
#include "transfer/table_verification.h"

namespace skerrow {

// What happened to one checked table: its creation fills the first part, its row copy the
// rest.
struct TableReport {
  static constexpr std::size_t kMaxRefusalMessages = 10;

  std::string sourceName;
  // The name the target table was created under; absent when it was not created.
  std::optional<std::string> createdName;
  // Why it was not created (the server's or the source's message).
  std::string createError;
  bool keyClauseAdded = false;

  std::int64_t rowsRead = 0;
  std::int64_t rowsWritten = 0;
  std::int64_t rowsRefused = 0;
  // The server's messages for the first refused rows.
  std::vector<std::string> refusalMessages;
  // Why the rest of the table was not copied; absent when every row read was handled.
  std::optional<std::string> abandoned;
  // The server connection was lost during this table: nothing more can be sent in this run.
  bool connectionLost = false;

  // The keys, indexes, checks, comments and identity columns added after the rows, one entry
  // each, e.g. "UNIQUE KEY `EMP_EMAIL_UK` (`EMAIL`)".
  std::vector<std::string> keysAdded;

  // What the MySQL table does not keep as the source declared it (warnings).
  std::vector<SchemaNote> schemaNotes;
  // Values a DOUBLE column could not keep exactly; each one is an error.
  RoundedValues roundedValues;
  // What reading the table back found, when it was verified; a difference is an error.
  std::optional<TableVerification> verification;

  bool Succeeded() const {
    return createdName && rowsRefused == 0 && !abandoned && createError.empty() &&
           roundedValues.count == 0 && (!verification || verification->Succeeded());
  }
};

}  // namespace skerrow
