#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "db/variant.h"
#include "oracle/script_target.h"
#include "oracle/sqlite_handle.h"
#include "oracle/type_family.h"

namespace skerrow::oracle {

// A value in the form a schema database keeps it: NUMBER as exact decimal text (never REAL),
// DATE as sortable text, RAW/BLOB as blobs, text as UTF-8, binary floats as REAL.
struct StoredValue {
  enum class Kind { Null, Text, Blob, Real };
  Kind kind = Kind::Null;
  std::string data;
  double real = 0;

  void BindTo(SqliteStatement& statement, int index) const;
};

// "YYYYY-MM-DD HH:MM:SS" with the year offset by 10000 so that text order is date order for
// every Oracle year (-4712 .. 9999).
std::string EncodeStoredDate(const SourceDate& date);
std::optional<SourceDate> DecodeStoredDate(std::string_view text);

// Converts a value for a column, the way Oracle converts on INSERT: NUMBER(p,s) rounds to its
// scale, CHAR pads with blanks, '' is NULL, text into RAW is read as hex digits. Throws
// std::runtime_error with Oracle's message (ORA-01400, ORA-12899, ORA-01438, ORA-01722, ...);
// `qualifiedColumn` is "OWNER"."TABLE"."COLUMN" for those messages.
StoredValue ToStoredValue(const Variant& value, const ColumnDefinition& column,
                          const std::string& qualifiedColumn);

// The delivered value of a stored column (the kinds the stand-in promises).
Variant ReadStoredValue(const SqliteStatement& statement, int index, TypeFamily family);

// The text Oracle's implicit conversion to VARCHAR2 gives (what utl_raw.cast_to_raw sees):
// numbers as Oracle prints them (".5", "-12"), binary floats as "1.5E+000", dates as
// DD-MON-RR, bytes as upper-case hex digits, text unchanged. Null stays null.
Variant ToOracleTextForm(const Variant& value, TypeFamily family);

// Oracle number text of a canonical decimal ("0.5" -> ".5", "-0.25" -> "-.25").
std::string OracleNumberText(std::string_view canonical);
// Oracle's text of a BINARY_FLOAT/BINARY_DOUBLE ("1.5E+000", "-1.0E-003", "0", "Inf", "Nan").
std::string OracleBinaryFloatText(double value, bool singlePrecision);
// Oracle's default TIMESTAMP display ("04-JUL-09 08.05.00.000000 AM"): `fraction` holds the
// fractional-second digits (padded or cut to `precision`), `zone` e.g. "+02:00" for the WITH
// TIME ZONE forms.
std::string FormatTimestampDisplay(const SourceDate& date, std::string_view fraction, int precision,
                                   std::optional<std::string> zone);

}  // namespace skerrow::oracle
