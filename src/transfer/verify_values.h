#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "transfer/render_value.h"

namespace skerrow {

// What a MySQL column is for comparing its values: the rule by which a written value and a
// value read back are brought to one canonical form.
enum class ColumnClass {
  Double,     // DOUBLE: the number's bits
  Float,      // FLOAT: the single-precision number's bits
  Decimal,    // DECIMAL and the integer types: the exact number, digit for digit
  DateTime,   // DATETIME, DATE, TIMESTAMP, TIME: the text MySQL gives
  FixedText,  // CHAR: the text without the blanks that pad it
  Text,       // VARCHAR and the TEXT types: the bytes of the text
  Binary,     // BLOB types, BINARY, VARBINARY: the bytes
};

// The class of a column by information_schema's DATA_TYPE ("double", "longtext", ...).
ColumnClass ColumnClassOf(std::string_view dataType);

// How the verification reads a column back: FLOAT's text has six digits only, so a FLOAT is
// read as the DOUBLE that holds it exactly.
std::string TargetReadExpression(std::string_view column, ColumnClass columnClass);

// A value in canonical form; nullopt is NULL. Two values are the same when their canonical
// forms are: numbers as the shortest text of their bits ("0.1", "1e+100") or as canonical
// decimals ("-12.5"), everything else as bytes.
using CanonicalValue = std::optional<std::string>;

// What a column of `columnClass` holds once the conversion has written `written` into it.
CanonicalValue ExpectedCanonical(const WrittenValue& written, ColumnClass columnClass);

// The canonical form of a value as MySQL returned it (`isNull` for SQL NULL).
CanonicalValue TargetCanonical(std::string_view text, bool isNull, ColumnClass columnClass);

// Appends an encoding of `value` whose byte order is the order of the values: NULL first,
// numbers by their value, everything else by its bytes. Encodings of several columns appended
// one after the other order as the tuple of the values.
void AppendOrderedKey(std::string& key, const CanonicalValue& value, ColumnClass columnClass);

// A value as a report shows it: the text itself when it is UTF-8 text without control
// characters, otherwise its bytes as hex digits; long values are cut.
struct ShownValue {
  std::optional<std::string> text;  // nullopt for NULL
  bool hex = false;
};
ShownValue ShowCanonical(const CanonicalValue& value, ColumnClass columnClass);

// "NULL", the text, or "X'00FF'", for texts that name a row.
std::string ShownValueText(const ShownValue& shown);

}  // namespace skerrow
