#include "oracle/loader/script_types.h"

#include <algorithm>
#include <charconv>

namespace skerrow::oracle {

namespace {

// Oracle's limits for an AL32UTF8 database. VARCHAR2 and NVARCHAR2 take the extended string
// size (MAX_STRING_SIZE = EXTENDED), so that scripts exported from such a database, with their
// VARCHAR2(32767) columns, load; CHAR and RAW keep the standard sizes.
constexpr int kMaxBytesPerChar = 4;
constexpr int kVarchar2MaxBytes = 32767;
constexpr int kCharMaxBytes = 2000;
constexpr int kRawMaxBytes = 2000;
constexpr int kLobLength = 4000;
constexpr int kBfileLength = 530;
constexpr int kRowidLength = 10;
constexpr int kObjectLength = 2000;

int ReadInteger(TokenCursor& cursor, std::string_view what) {
  const Token& token = cursor.Peek();
  bool negative = false;
  if (token.IsSymbol("-")) {
    negative = true;
    cursor.Next();
  }
  const Token& number = cursor.Peek();
  int value = 0;
  if (number.kind != TokenKind::Number ||
      std::from_chars(number.text.data(), number.text.data() + number.text.size(), value).ptr !=
          number.text.data() + number.text.size())
    cursor.FailUnexpected(what);
  cursor.Next();
  return negative ? -value : value;
}

// "(n)" when present, else nullopt.
std::optional<int> OptionalLength(TokenCursor& cursor, std::string_view what) {
  if (!cursor.AcceptSymbol("(")) return std::nullopt;
  int value = ReadInteger(cursor, what);
  cursor.ExpectSymbol(")");
  return value;
}

void CheckRange(TokenCursor& cursor, int value, int low, int high, const std::string& error) {
  if (value < low || value > high) cursor.Fail(error);
}

// VARCHAR2 / CHAR lengths with their BYTE or CHAR qualifier.
void CharacterLength(TokenCursor& cursor, ColumnDefinition& column, bool required, int maxBytes,
                     int defaultLength) {
  int length = defaultLength;
  bool charSemantics = false;
  if (cursor.AcceptSymbol("(")) {
    length = ReadInteger(cursor, "a length");
    if (cursor.AcceptWord("CHAR")) {
      charSemantics = true;
    } else {
      cursor.AcceptWord("BYTE");
    }
    cursor.ExpectSymbol(")");
  } else if (required) {
    cursor.Fail("ORA-00906: missing left parenthesis (" + column.dataType +
                " needs a length, e.g. " + column.dataType + "(30))");
  }
  if (length < 1)
    cursor.Fail("ORA-01741: the length of " + column.dataType + " must be at least 1");
  const int bytes = charSemantics ? length * kMaxBytesPerChar : length;
  if ((charSemantics ? length : bytes) > maxBytes)
    cursor.Fail("ORA-00910: specified length too long for its datatype (" + column.dataType +
                " holds at most " + std::to_string(maxBytes) + " bytes)");
  column.dataLength = std::min(bytes, maxBytes);
  column.charLength = length;
  column.charUsed = charSemantics ? "C" : "B";
}

void NationalLength(TokenCursor& cursor, ColumnDefinition& column, bool required, int maxBytes) {
  std::optional<int> length = OptionalLength(cursor, "a length");
  if (!length && required)
    cursor.Fail("ORA-00906: missing left parenthesis (" + column.dataType + " needs a length)");
  const int chars = length.value_or(1);
  if (chars < 1 || chars * 2 > maxBytes)
    cursor.Fail("ORA-00910: specified length too long for its datatype (" + column.dataType +
                " holds at most " + std::to_string(maxBytes / 2) + " characters)");
  column.dataLength = chars * 2;
  column.charLength = chars;
  column.charUsed = "C";
}

void NumberPrecision(TokenCursor& cursor, ColumnDefinition& column) {
  if (!cursor.AcceptSymbol("(")) return;
  if (cursor.AcceptSymbol("*")) {
    column.dataPrecision.reset();
  } else {
    const int precision = ReadInteger(cursor, "a precision");
    CheckRange(cursor, precision, 1, 38,
               "ORA-01727: numeric precision specifier is out of range (1 to 38)");
    column.dataPrecision = precision;
    column.dataScale = 0;
  }
  if (cursor.AcceptSymbol(",")) {
    const int scale = ReadInteger(cursor, "a scale");
    CheckRange(cursor, scale, -84, 127,
               "ORA-01728: numeric scale specifier is out of range (-84 to 127)");
    column.dataScale = scale;
  }
  cursor.ExpectSymbol(")");
}

void SetObjectType(ColumnDefinition& column, std::string owner, std::string name) {
  column.dataType = std::move(name);
  column.typeOwner = std::move(owner);
  column.dataLength = kObjectLength;
}

}  // namespace

void ReadDataType(TokenCursor& cursor, const std::string& currentSchema, ColumnDefinition& column) {
  if (!cursor.PeekIsName()) cursor.FailUnexpected("a data type");
  const bool quoted = cursor.Peek().kind == TokenKind::QuotedName;
  std::string word = cursor.Name("a data type");
  if (!quoted && cursor.Peek().IsSymbol(".") && cursor.PeekIsName(1)) {
    cursor.Next();
    std::string name = cursor.Name("a type name");
    if (word == "SYS" && (name == "XMLTYPE" || name == "URITYPE" || name == "HTTPURITYPE" ||
                          name == "DBURITYPE" || name == "XDBURITYPE")) {
      SetObjectType(column, "SYS", name);
      return;
    }
    SetObjectType(column, word, name);
    return;
  }
  if (quoted) {
    SetObjectType(column, currentSchema, word);
    return;
  }
  column.dataPrecision.reset();
  column.dataScale.reset();
  column.charLength = 0;
  column.charUsed.clear();
  column.typeOwner.reset();

  if (word == "NUMBER") {
    column.dataType = "NUMBER";
    column.dataLength = 22;
    NumberPrecision(cursor, column);
  } else if (word == "NUMERIC" || word == "DECIMAL" || word == "DEC") {
    column.dataType = "NUMBER";
    column.dataLength = 22;
    column.dataPrecision = 38;
    column.dataScale = 0;
    NumberPrecision(cursor, column);
  } else if (word == "INTEGER" || word == "INT" || word == "SMALLINT") {
    column.dataType = "NUMBER";
    column.dataLength = 22;
    column.dataScale = 0;
  } else if (word == "FLOAT") {
    column.dataType = "FLOAT";
    column.dataLength = 22;
    const int precision = OptionalLength(cursor, "a binary precision").value_or(126);
    CheckRange(cursor, precision, 1, 126,
               "ORA-01724: floating point precision is out of range (1 to 126)");
    column.dataPrecision = precision;
  } else if (word == "REAL") {
    column.dataType = "FLOAT";
    column.dataLength = 22;
    column.dataPrecision = 63;
  } else if (word == "DOUBLE") {
    cursor.ExpectWord("PRECISION");
    column.dataType = "FLOAT";
    column.dataLength = 22;
    column.dataPrecision = 126;
  } else if (word == "BINARY_FLOAT") {
    column.dataType = "BINARY_FLOAT";
    column.dataLength = 4;
  } else if (word == "BINARY_DOUBLE") {
    column.dataType = "BINARY_DOUBLE";
    column.dataLength = 8;
  } else if (word == "VARCHAR2" || word == "VARCHAR") {
    // Oracle stores VARCHAR columns as VARCHAR2.
    column.dataType = "VARCHAR2";
    CharacterLength(cursor, column, true, kVarchar2MaxBytes, 1);
  } else if (word == "NVARCHAR2") {
    column.dataType = "NVARCHAR2";
    NationalLength(cursor, column, true, kVarchar2MaxBytes);
  } else if (word == "CHAR" || word == "CHARACTER") {
    if (cursor.AcceptWord("VARYING")) {
      column.dataType = "VARCHAR2";
      CharacterLength(cursor, column, true, kVarchar2MaxBytes, 1);
    } else {
      column.dataType = "CHAR";
      CharacterLength(cursor, column, false, kCharMaxBytes, 1);
    }
  } else if (word == "NCHAR") {
    if (cursor.AcceptWord("VARYING")) {
      column.dataType = "NVARCHAR2";
      NationalLength(cursor, column, true, kVarchar2MaxBytes);
    } else {
      column.dataType = "NCHAR";
      NationalLength(cursor, column, false, kCharMaxBytes);
    }
  } else if (word == "RAW") {
    column.dataType = "RAW";
    auto length = OptionalLength(cursor, "a length");
    if (!length)
      cursor.Fail("ORA-00906: missing left parenthesis (RAW needs a length, e.g. RAW(16))");
    CheckRange(
        cursor, *length, 1, kRawMaxBytes,
        "ORA-00910: specified length too long for its datatype (RAW holds at most 2000 bytes)");
    column.dataLength = *length;
  } else if (word == "LONG") {
    column.dataType = cursor.AcceptWord("RAW") ? "LONG RAW" : "LONG";
    column.dataLength = 0;
  } else if (word == "DATE") {
    column.dataType = "DATE";
    column.dataLength = 7;
  } else if (word == "TIMESTAMP") {
    const int precision = OptionalLength(cursor, "a fractional seconds precision").value_or(6);
    CheckRange(cursor, precision, 0, 9,
               "ORA-30088: datetime/interval precision is out of range (0 to 9)");
    column.dataType = "TIMESTAMP(" + std::to_string(precision) + ")";
    column.dataLength = 11;
    column.dataScale = precision;
    if (cursor.AcceptWord("WITH")) {
      if (cursor.AcceptWord("LOCAL")) {
        column.dataType += " WITH LOCAL TIME ZONE";
      } else {
        column.dataType += " WITH TIME ZONE";
        column.dataLength = 13;
      }
      cursor.ExpectWord("TIME");
      cursor.ExpectWord("ZONE");
    }
  } else if (word == "INTERVAL") {
    if (cursor.AcceptWord("YEAR")) {
      const int precision = OptionalLength(cursor, "a year precision").value_or(2);
      CheckRange(cursor, precision, 0, 9,
                 "ORA-30088: datetime/interval precision is out of range (0 to 9)");
      cursor.ExpectWord("TO");
      cursor.ExpectWord("MONTH");
      column.dataType = "INTERVAL YEAR(" + std::to_string(precision) + ") TO MONTH";
      column.dataLength = 5;
      column.dataPrecision = precision;
      column.dataScale = 0;
    } else if (cursor.AcceptWord("DAY")) {
      const int precision = OptionalLength(cursor, "a day precision").value_or(2);
      cursor.ExpectWord("TO");
      cursor.ExpectWord("SECOND");
      const int scale = OptionalLength(cursor, "a fractional seconds precision").value_or(6);
      CheckRange(cursor, precision, 0, 9,
                 "ORA-30088: datetime/interval precision is out of range (0 to 9)");
      CheckRange(cursor, scale, 0, 9,
                 "ORA-30088: datetime/interval precision is out of range (0 to 9)");
      column.dataType = "INTERVAL DAY(" + std::to_string(precision) + ") TO SECOND(" +
                        std::to_string(scale) + ")";
      column.dataLength = 11;
      column.dataPrecision = precision;
      column.dataScale = scale;
    } else {
      cursor.FailUnexpected("YEAR or DAY after INTERVAL");
    }
  } else if (word == "CLOB" || word == "NCLOB" || word == "BLOB") {
    column.dataType = word;
    column.dataLength = kLobLength;
  } else if (word == "BFILE") {
    column.dataType = "BFILE";
    column.dataLength = kBfileLength;
  } else if (word == "ROWID") {
    column.dataType = "ROWID";
    column.dataLength = kRowidLength;
  } else if (word == "UROWID") {
    column.dataType = "UROWID";
    column.dataLength = OptionalLength(cursor, "a length").value_or(4000);
  } else if (word == "XMLTYPE" || word == "URITYPE" || word == "HTTPURITYPE" ||
             word == "DBURITYPE" || word == "XDBURITYPE") {
    SetObjectType(column, "SYS", word);
  } else {
    // A user-defined object type of the current schema.
    SetObjectType(column, currentSchema, word);
  }
}

}  // namespace skerrow::oracle
