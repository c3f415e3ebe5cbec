#pragma once

#include <string>

namespace skerrow {

// One source column as the catalog describes it, in the order of the catalog query's select
// list; every field is text.
struct ColumnDescriptor {
  std::string columnName;
  std::string dataType;
  std::string dataLength;
  std::string dataPrecision;  // empty when the source has none
  std::string nullable;       // "Y" or "N"
  std::string dataDefault;    // empty when there is none
  std::string dataScale{};    // empty when the source has none; may be negative
  std::string charLength{};   // a character column's length in characters; "0" or empty else

  friend bool operator==(const ColumnDescriptor&, const ColumnDescriptor&) = default;
};

}  // namespace skerrow
