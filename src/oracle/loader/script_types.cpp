#include "oracle/loader/script_types.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <set>

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
constexpr int kUrowidMaxBytes = 4000;
constexpr int kObjectLength = 2000;

// A whole number as written (a scale may carry a sign). Beyond what a long long holds it reads
// as the largest one, so that 2147483648 or 10^30 is refused as too large, not wrapped around.
long long ReadWholeNumber(TokenCursor& cursor, std::string_view what, bool signAllowed = false) {
  bool negative = false;
  if (signAllowed && (cursor.Peek().IsSymbol("-") || cursor.Peek().IsSymbol("+"))) {
    negative = cursor.Peek().IsSymbol("-");
    cursor.Next();
  }
  const Token& number = cursor.Peek();
  if (number.kind != TokenKind::Number || number.HasBinarySuffix() ||
      number.text.find_first_not_of("0123456789") != std::string::npos)
    cursor.FailUnexpected(what);
  long long value = 0;
  const auto [end, error] =
      std::from_chars(number.text.data(), number.text.data() + number.text.size(), value);
  if (error == std::errc::result_out_of_range) value = std::numeric_limits<long long>::max();
  (void)end;
  cursor.Next();
  return negative ? -value : value;
}

// "(n)" when present, else nullopt.
std::optional<long long> OptionalLength(TokenCursor& cursor, std::string_view what) {
  if (!cursor.AcceptSymbol("(")) return std::nullopt;
  const long long value = ReadWholeNumber(cursor, what);
  cursor.ExpectSymbol(")");
  return value;
}

void CheckRange(TokenCursor& cursor, long long value, long long low, long long high,
                const std::string& error) {
  if (value < low || value > high) cursor.Fail(error);
}

[[noreturn]] void TooLong(TokenCursor& cursor, const std::string& type, long long most,
                          const char* unit) {
  cursor.Fail("ORA-00910: specified length too long for its datatype (" + type + " holds at most " +
              std::to_string(most) + " " + unit + ")");
}

void CheckNotZero(TokenCursor& cursor, long long length) {
  if (length == 0) cursor.Fail("ORA-01723: zero-length columns are not allowed");
}

// VARCHAR2 / CHAR lengths with their BYTE or CHAR qualifier.
void CharacterLength(TokenCursor& cursor, ColumnDefinition& column, bool required, int maxBytes,
                     int defaultLength) {
  long long length = defaultLength;
  bool charSemantics = false;
  if (cursor.AcceptSymbol("(")) {
    length = ReadWholeNumber(cursor, "a length");
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
  CheckNotZero(cursor, length);
  // A length in characters may hold up to four bytes each, but never more than the type's bytes.
  if (length > maxBytes) TooLong(cursor, column.dataType, maxBytes, "bytes");
  const int chars = static_cast<int>(length);
  column.dataLength = charSemantics ? std::min(chars * kMaxBytesPerChar, maxBytes) : chars;
  column.charLength = chars;
  column.charUsed = charSemantics ? "C" : "B";
}

void NationalLength(TokenCursor& cursor, ColumnDefinition& column, bool required, int maxBytes) {
  std::optional<long long> length = OptionalLength(cursor, "a length");
  if (!length && required)
    cursor.Fail("ORA-00906: missing left parenthesis (" + column.dataType + " needs a length)");
  const long long chars = length.value_or(1);
  CheckNotZero(cursor, chars);
  if (chars > maxBytes / 2) TooLong(cursor, column.dataType, maxBytes / 2, "characters");
  column.dataLength = static_cast<int>(chars) * 2;
  column.charLength = static_cast<int>(chars);
  column.charUsed = "C";
}

void NumberPrecision(TokenCursor& cursor, ColumnDefinition& column) {
  if (!cursor.AcceptSymbol("(")) return;
  if (cursor.AcceptSymbol("*")) {
    column.dataPrecision.reset();
  } else {
    const long long precision = ReadWholeNumber(cursor, "a precision");
    CheckRange(cursor, precision, 1, 38,
               "ORA-01727: numeric precision specifier is out of range (1 to 38)");
    column.dataPrecision = static_cast<int>(precision);
    column.dataScale = 0;
  }
  if (cursor.AcceptSymbol(",")) {
    const long long scale = ReadWholeNumber(cursor, "a scale", true);
    CheckRange(cursor, scale, -84, 127,
               "ORA-01728: numeric scale specifier is out of range (-84 to 127)");
    column.dataScale = static_cast<int>(scale);
  }
  cursor.ExpectSymbol(")");
}

// A datetime or interval precision "(n)", 0 to 9, or `otherwise` when none is written.
int DatetimePrecision(TokenCursor& cursor, std::string_view what, int otherwise) {
  const long long precision = OptionalLength(cursor, what).value_or(otherwise);
  CheckRange(cursor, precision, 0, 9,
             "ORA-30088: datetime/interval precision is out of range (0 to 9)");
  return static_cast<int>(precision);
}

void SetObjectType(ColumnDefinition& column, std::string owner, std::string name) {
  column.dataType = std::move(name);
  column.typeOwner = std::move(owner);
  column.dataLength = kObjectLength;
}

bool IsXmlOrUriType(const std::string& name) {
  return name == "XMLTYPE" || name == "URITYPE" || name == "HTTPURITYPE" || name == "DBURITYPE" ||
         name == "XDBURITYPE";
}

// Types Oracle supplies under public synonyms (Spatial, Any*, interMedia) and the newest
// releases' JSON and BOOLEAN: a script may use them without creating them.
bool IsSuppliedType(const std::string& name) {
  static constexpr std::string_view kSupplied[] = {"ANYDATA",
                                                   "ANYTYPE",
                                                   "ANYDATASET",
                                                   "SDO_GEOMETRY",
                                                   "SDO_POINT_TYPE",
                                                   "SDO_ELEM_INFO_ARRAY",
                                                   "SDO_ORDINATE_ARRAY",
                                                   "SDO_TOPO_GEOMETRY",
                                                   "SDO_GEORASTER",
                                                   "ORDIMAGE",
                                                   "ORDAUDIO",
                                                   "ORDVIDEO",
                                                   "ORDDOC",
                                                   "JSON",
                                                   "BOOLEAN"};
  for (std::string_view supplied : kSupplied)
    if (name == supplied) return true;
  return false;
}

// An object type's name must be one the script created (CREATE TYPE) or one Oracle supplies;
// anything else is a misspelt type, as Oracle says.
void RequireKnownType(TokenCursor& cursor, const std::string& name,
                      const std::set<std::string>& objectTypes, std::size_t at) {
  if (objectTypes.count(name) != 0 || IsSuppliedType(name) || IsXmlOrUriType(name)) return;
  cursor.Seek(at);
  cursor.Fail("ORA-00902: invalid datatype (" + Describe(cursor.Peek()) +
              " is neither a built-in type nor a type created with CREATE TYPE)");
}

}  // namespace

void ReadDataType(TokenCursor& cursor, const std::string& currentSchema,
                  const std::set<std::string>& objectTypes, ColumnDefinition& column) {
  if (!cursor.PeekIsName()) cursor.FailUnexpected("a data type");
  const std::size_t start = cursor.Position();
  const bool quoted = cursor.Peek().kind == TokenKind::QuotedName;
  std::string word = cursor.Name("a data type");
  if (!quoted && cursor.Peek().IsSymbol(".") && cursor.PeekIsName(1)) {
    cursor.Next();
    std::string name = cursor.Name("a type name");
    if (word == "SYS" && IsXmlOrUriType(name)) {
      SetObjectType(column, "SYS", name);
      return;
    }
    RequireKnownType(cursor, name, objectTypes, start + 2);
    SetObjectType(column, word, name);
    return;
  }
  if (quoted) {
    RequireKnownType(cursor, word, objectTypes, start);
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
    const long long precision = OptionalLength(cursor, "a binary precision").value_or(126);
    CheckRange(cursor, precision, 1, 126,
               "ORA-01724: floating point precision is out of range (1 to 126)");
    column.dataPrecision = static_cast<int>(precision);
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
    CheckNotZero(cursor, *length);
    if (*length > kRawMaxBytes) TooLong(cursor, "RAW", kRawMaxBytes, "bytes");
    column.dataLength = static_cast<int>(*length);
  } else if (word == "LONG") {
    column.dataType = cursor.AcceptWord("RAW") ? "LONG RAW" : "LONG";
    column.dataLength = 0;
  } else if (word == "DATE") {
    column.dataType = "DATE";
    column.dataLength = 7;
  } else if (word == "TIMESTAMP") {
    const int precision = DatetimePrecision(cursor, "a fractional seconds precision", 6);
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
      const int precision = DatetimePrecision(cursor, "a year precision", 2);
      cursor.ExpectWord("TO");
      cursor.ExpectWord("MONTH");
      column.dataType = "INTERVAL YEAR(" + std::to_string(precision) + ") TO MONTH";
      column.dataLength = 5;
      column.dataPrecision = precision;
      column.dataScale = 0;
    } else if (cursor.AcceptWord("DAY")) {
      const int precision = DatetimePrecision(cursor, "a day precision", 2);
      cursor.ExpectWord("TO");
      cursor.ExpectWord("SECOND");
      const int scale = DatetimePrecision(cursor, "a fractional seconds precision", 6);
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
    const long long length = OptionalLength(cursor, "a length").value_or(kUrowidMaxBytes);
    CheckNotZero(cursor, length);
    if (length > kUrowidMaxBytes) TooLong(cursor, "UROWID", kUrowidMaxBytes, "bytes");
    column.dataLength = static_cast<int>(length);
  } else if (IsXmlOrUriType(word)) {
    SetObjectType(column, "SYS", word);
  } else if (word == "NATIONAL") {
    if (!cursor.AcceptWord("CHARACTER")) cursor.ExpectWord("CHAR");
    const bool varying = cursor.AcceptWord("VARYING");
    column.dataType = varying ? "NVARCHAR2" : "NCHAR";
    NationalLength(cursor, column, varying, varying ? kVarchar2MaxBytes : kCharMaxBytes);
  } else {
    // A user-defined object type of the current schema.
    RequireKnownType(cursor, word, objectTypes, start);
    SetObjectType(column, currentSchema, word);
  }
}

}  // namespace skerrow::oracle
