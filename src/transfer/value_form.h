#pragma once

namespace skerrow {

// How the values of one selected column are written, as its source type and target column
// decide. The type mapping sets it per column; the row copy renders every value by it.
enum class ValueForm {
  // Exact decimals unquoted, text as text, byte arrays as their text or hex digits.
  Default,
  // A DOUBLE column of NUMBER or FLOAT values: a decimal DOUBLE cannot hold exactly is written
  // all the same and counted as rounded.
  ApproximateNumber,
  // BINARY_FLOAT / BINARY_DOUBLE, read as Oracle's text of the number: written with every bit;
  // infinities and NaN, which MySQL cannot store, refuse their row.
  BinaryFloat,
  BinaryDouble,
  // BLOB, LONG RAW into LONGBLOB: the bytes exactly, an empty value as an empty value.
  Binary,
  // CLOB, NCLOB: the text, an empty LOB as the empty text.
  LobText,
};

}  // namespace skerrow
