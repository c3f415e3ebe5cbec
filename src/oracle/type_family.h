#pragma once

#include <string_view>

namespace skerrow::oracle {

// How the stand-in stores and delivers the values of a column, decided by its DATA_TYPE.
enum class TypeFamily {
  Number,        // NUMBER, FLOAT: exact decimal text
  BinaryFloat,   // BINARY_FLOAT: single precision
  BinaryDouble,  // BINARY_DOUBLE
  Date,          // DATE
  Timestamp,     // TIMESTAMP(n) [WITH [LOCAL] TIME ZONE]: display text
  Interval,      // INTERVAL ...: display text
  FixedChar,     // CHAR, NCHAR: blank-padded text
  VarChar,       // VARCHAR2, NVARCHAR2, VARCHAR
  Long,          // LONG
  CharLob,       // CLOB, NCLOB
  Raw,           // RAW
  LongRaw,       // LONG RAW
  Blob,          // BLOB
  Uri,           // URITYPE, HTTPURITYPE, DBURITYPE, XDBURITYPE: the URL as text
  OtherText,     // ROWID, UROWID, XMLTYPE, BFILE, user-defined types: text
};

TypeFamily FamilyOfDataType(std::string_view dataType);

// Families where Oracle treats a zero-length value as NULL.
bool EmptyMeansNull(TypeFamily family);
bool IsCharacterFamily(TypeFamily family);
bool IsBinaryFamily(TypeFamily family);

}  // namespace skerrow::oracle
