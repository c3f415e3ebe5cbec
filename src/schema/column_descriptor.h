#pragma once

#include <string>

namespace skerrow {

// One source column as the catalog describes it; every field is text.
struct ColumnDescriptor {
  std::string columnName;
  std::string dataType;
  std::string dataLength;
  std::string dataPrecision;  // empty when the source has none
  std::string nullable;       // "Y" or "N"
  std::string dataDefault;    // empty when there is none

  friend bool operator==(const ColumnDescriptor&, const ColumnDescriptor&) = default;
};

}  // namespace skerrow
