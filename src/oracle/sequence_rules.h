#pragma once

#include <string>

#include "oracle/script_target.h"

namespace skerrow::oracle {

// A sequence's limits and step with Oracle's defaults filled in: ascending sequences from 1 to
// 10^28 - 1, descending ones from -1 down to -(10^27 - 1), starting at their first value.
// Throws std::runtime_error with Oracle's message for contradictory options (ORA-04002,
// ORA-04004, ORA-04006, ORA-04008).
SequenceOptions CompleteSequenceOptions(const SequenceOptions& given);

// USER_TAB_IDENTITY_COLS.IDENTITY_OPTIONS of a generator with these (complete) options.
std::string IdentityOptionsText(const SequenceOptions& options);

// The sign of a - b for two decimal texts.
int CompareDecimals(const std::string& a, const std::string& b);

}  // namespace skerrow::oracle
