#pragma once

#include <optional>

#include "db/variant.h"

namespace skerrow::oci {

// Oracle's DATE in its 7-byte external form (SQLT_DAT): century and year each offset by 100,
// month, day, then hour, minute and second each offset by 1.
inline constexpr int kOracleDateSize = 7;

std::optional<SourceDate> DecodeOracleDate(const unsigned char* bytes);
void EncodeOracleDate(const SourceDate& date, unsigned char* bytes);

}  // namespace skerrow::oci
