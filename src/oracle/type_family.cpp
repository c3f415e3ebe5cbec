#include "oracle/type_family.h"

namespace skerrow::oracle {

TypeFamily FamilyOfDataType(std::string_view type) {
  const auto startsWith = [&](std::string_view prefix) { return type.starts_with(prefix); };
  if (type == "NUMBER" || type == "FLOAT" || type == "INTEGER" || type == "DECIMAL")
    return TypeFamily::Number;
  if (type == "BINARY_FLOAT") return TypeFamily::BinaryFloat;
  if (type == "BINARY_DOUBLE") return TypeFamily::BinaryDouble;
  if (type == "DATE") return TypeFamily::Date;
  if (startsWith("TIMESTAMP")) return TypeFamily::Timestamp;
  if (startsWith("INTERVAL")) return TypeFamily::Interval;
  if (type == "CHAR" || type == "NCHAR") return TypeFamily::FixedChar;
  if (type == "VARCHAR2" || type == "NVARCHAR2" || type == "VARCHAR") return TypeFamily::VarChar;
  if (type == "LONG") return TypeFamily::Long;
  if (type == "CLOB" || type == "NCLOB") return TypeFamily::CharLob;
  if (type == "RAW") return TypeFamily::Raw;
  if (type == "LONG RAW") return TypeFamily::LongRaw;
  if (type == "BLOB") return TypeFamily::Blob;
  if (type == "URITYPE" || type == "HTTPURITYPE" || type == "DBURITYPE" || type == "XDBURITYPE")
    return TypeFamily::Uri;
  return TypeFamily::OtherText;
}

bool EmptyMeansNull(TypeFamily family) {
  // LOBs keep a zero-length value apart from NULL (EMPTY_CLOB(), EMPTY_BLOB()).
  return family != TypeFamily::CharLob && family != TypeFamily::Blob;
}

bool IsCharacterFamily(TypeFamily family) {
  switch (family) {
    case TypeFamily::FixedChar:
    case TypeFamily::VarChar:
    case TypeFamily::Long:
    case TypeFamily::CharLob:
    case TypeFamily::Uri:
    case TypeFamily::OtherText:
    case TypeFamily::Timestamp:
    case TypeFamily::Interval:
      return true;
    default:
      return false;
  }
}

bool IsBinaryFamily(TypeFamily family) {
  return family == TypeFamily::Raw || family == TypeFamily::LongRaw || family == TypeFamily::Blob;
}

}  // namespace skerrow::oracle
