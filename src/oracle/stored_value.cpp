#include "oracle/stored_value.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "oracle/sql_datetime.h"
#include "oracle/sql_decimal.h"
#include "text/ascii.h"
#include "text/hex.h"
#include "text/utf8.h"

namespace skerrow::oracle {

namespace {

constexpr int kYearOffset = 10000;
constexpr const char* kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                   "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

bool IsOracleDate(const SourceDate& d) {
  if (d.year < -4712 || d.year > 9999 || d.year == 0 || d.month < 1 || d.month > 12) return false;
  const int days = DaysInMonth(d.year, d.month);
  return d.day >= 1 && d.day <= days && d.hour >= 0 && d.hour < 24 && d.minute >= 0 &&
         d.minute < 60 && d.second >= 0 && d.second < 60;
}

std::string KindName(const Variant& value) {
  switch (value.Kind()) {
    case VariantKind::Date:
      return "DATE";
    case VariantKind::ByteArray:
      return "BINARY";
    case VariantKind::Decimal:
    case VariantKind::Double:
      return "NUMBER";
    default:
      return "CHAR";
  }
}

[[noreturn]] void Inconsistent(const char* expected, const Variant& value) {
  throw std::runtime_error(std::string("ORA-00932: inconsistent datatypes: expected ") + expected +
                           " got " + KindName(value));
}

std::string TooLarge(const std::string& column, std::size_t actual, std::size_t maximum) {
  return "ORA-12899: value too large for column " + column + " (actual: " + std::to_string(actual) +
         ", maximum: " + std::to_string(maximum) + ")";
}

std::string ShortestText(double value) {
  char buffer[64];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return ec == std::errc() ? std::string(buffer, end) : std::string();
}

std::optional<double> ParseBinaryFloat(std::string_view text) {
  const std::string trimmed = text::TrimWhiteSpace(text);
  if (trimmed == "Inf" || trimmed == "+Inf") return HUGE_VAL;
  if (trimmed == "-Inf") return -HUGE_VAL;
  if (trimmed == "Nan" || trimmed == "NaN") return std::nan("");
  double value = 0;
  auto [end, ec] = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), value);
  if (ec != std::errc() || end != trimmed.data() + trimmed.size() || trimmed.empty())
    return std::nullopt;
  return value;
}

std::string DecimalOf(const Variant& value) {
  switch (value.Kind()) {
    case VariantKind::Decimal:
      return value.Data();
    case VariantKind::Double: {
      if (!std::isfinite(value.AsDouble())) throw std::runtime_error("ORA-01426: numeric overflow");
      auto exact = MakeDecimal(ShortestText(value.AsDouble()));
      if (exact) return *exact;
      break;
    }
    case VariantKind::Text: {
      auto exact = MakeDecimal(text::TrimWhiteSpace(value.Data()));
      if (exact) return *exact;
      throw std::runtime_error("ORA-01722: invalid number");
    }
    default:
      break;
  }
  Inconsistent("NUMBER", value);
}

StoredValue StoreNumber(const Variant& value, const ColumnDefinition& column) {
  std::string exact = DecimalOf(value);
  if (column.dataType == "NUMBER" && column.dataPrecision) {
    const int scale = column.dataScale.value_or(0);
    exact = DecimalRound(exact, scale);
    const int allowed = *column.dataPrecision - scale;
    if (DecimalIntegerDigits(exact) > allowed)
      throw std::runtime_error(
          "ORA-01438: value larger than specified precision allowed for this column");
  } else if (column.dataType == "NUMBER" && column.dataScale) {
    exact = DecimalRound(exact, *column.dataScale);
  }
  return {StoredValue::Kind::Text, std::move(exact), 0};
}

StoredValue StoreBinaryFloat(const Variant& value, bool single) {
  std::optional<double> number;
  switch (value.Kind()) {
    case VariantKind::Double:
      number = value.AsDouble();
      break;
    case VariantKind::Decimal:
    case VariantKind::Text:
      number = ParseBinaryFloat(value.Data());
      if (!number) throw std::runtime_error("ORA-01722: invalid number");
      break;
    default:
      Inconsistent(single ? "BINARY_FLOAT" : "BINARY_DOUBLE", value);
  }
  double result = single ? static_cast<double>(static_cast<float>(*number)) : *number;
  // SQLite turns a NaN into NULL, so the values REAL cannot hold are kept as their text.
  if (!std::isfinite(result))
    return {StoredValue::Kind::Text, OracleBinaryFloatText(result, single), 0};
  return {StoredValue::Kind::Real, {}, result};
}

StoredValue StoreDate(const Variant& value) {
  std::optional<SourceDate> date;
  if (value.Kind() == VariantKind::Date)
    date = value.AsDate();
  else if (value.Kind() == VariantKind::Text)
    date = value.ToDate();
  else
    Inconsistent("DATE", value);
  if (!date) throw std::runtime_error("ORA-01861: literal does not match format string");
  if (!IsOracleDate(*date))
    throw std::runtime_error(
        "ORA-01841: (full) year must be between -4713 and +9999, and not be 0");
  return {StoredValue::Kind::Text, EncodeStoredDate(*date), 0};
}

std::string TextOf(const Variant& value, TypeFamily family) {
  const Variant text = ToOracleTextForm(value, family);
  return text.Data();
}

StoredValue StoreText(const Variant& value, const ColumnDefinition& column, TypeFamily family,
                      const std::string& qualified) {
  std::string text;
  if (value.Kind() == VariantKind::Date &&
      (family == TypeFamily::Timestamp || family == TypeFamily::Interval)) {
    if (family == TypeFamily::Interval) Inconsistent("INTERVAL", value);
    const bool zoned = column.dataType.find("WITH TIME ZONE") != std::string::npos;
    text = FormatTimestampDisplay(value.AsDate(), "", column.dataScale.value_or(6),
                                  zoned ? std::optional<std::string>("+00:00") : std::nullopt);
  } else if (value.Kind() == VariantKind::Text) {
    text = value.Data();
  } else {
    text = TextOf(value, TypeFamily::OtherText);
  }
  if (family == TypeFamily::FixedChar || family == TypeFamily::VarChar) {
    const bool inCharacters = column.charUsed == "C";
    const std::size_t maximum = static_cast<std::size_t>(
        inCharacters && column.charLength > 0 ? column.charLength : column.dataLength);
    const std::size_t actual = inCharacters ? text::Utf8Length(text) : text.size();
    if (maximum > 0 && actual > maximum)
      throw std::runtime_error(TooLarge(qualified, actual, maximum));
    if (family == TypeFamily::FixedChar && maximum > actual) text.append(maximum - actual, ' ');
  }
  return {StoredValue::Kind::Text, std::move(text), 0};
}

StoredValue StoreBytes(const Variant& value, const ColumnDefinition& column, TypeFamily family,
                       const std::string& qualified) {
  std::string bytes;
  if (value.Kind() == VariantKind::ByteArray) {
    bytes = value.Data();
  } else if (value.Kind() == VariantKind::Text) {
    auto decoded = text::BytesOfHex(value.Data());
    if (!decoded) throw std::runtime_error("ORA-01465: invalid hex number");
    bytes = std::move(*decoded);
  } else {
    Inconsistent(family == TypeFamily::Blob ? "BLOB" : "BINARY", value);
  }
  if (family == TypeFamily::Raw && column.dataLength > 0 &&
      bytes.size() > static_cast<std::size_t>(column.dataLength))
    throw std::runtime_error(
        TooLarge(qualified, bytes.size(), static_cast<std::size_t>(column.dataLength)));
  if (bytes.empty() && EmptyMeansNull(family)) return {};
  return {StoredValue::Kind::Blob, std::move(bytes), 0};
}

}  // namespace

void StoredValue::BindTo(SqliteStatement& statement, int index) const {
  switch (kind) {
    case Kind::Null:
      statement.BindNull(index);
      break;
    case Kind::Text:
      statement.BindText(index, data);
      break;
    case Kind::Blob:
      statement.BindBlob(index, data);
      break;
    case Kind::Real:
      statement.BindDouble(index, real);
      break;
  }
}

std::string EncodeStoredDate(const SourceDate& date) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%05d-%02d-%02d %02d:%02d:%02d", date.year + kYearOffset,
                date.month, date.day, date.hour, date.minute, date.second);
  return buffer;
}

std::optional<SourceDate> DecodeStoredDate(std::string_view text) {
  if (text.size() != 20) return std::nullopt;
  int parts[6] = {};
  const std::size_t starts[6] = {0, 6, 9, 12, 15, 18};
  const std::size_t lengths[6] = {5, 2, 2, 2, 2, 2};
  for (int i = 0; i < 6; ++i) {
    const char* begin = text.data() + starts[i];
    auto [end, ec] = std::from_chars(begin, begin + lengths[i], parts[i]);
    if (ec != std::errc() || end != begin + lengths[i]) return std::nullopt;
  }
  return SourceDate{static_cast<std::int16_t>(parts[0] - kYearOffset),
                    static_cast<std::int8_t>(parts[1]),
                    static_cast<std::int8_t>(parts[2]),
                    static_cast<std::int8_t>(parts[3]),
                    static_cast<std::int8_t>(parts[4]),
                    static_cast<std::int8_t>(parts[5])};
}

StoredValue ToStoredValue(const Variant& value, const ColumnDefinition& column,
                          const std::string& qualifiedColumn) {
  const TypeFamily family = FamilyOfDataType(column.dataType);
  bool isNull = value.IsNullOrEmpty();
  if ((value.Kind() == VariantKind::Text || value.Kind() == VariantKind::ByteArray) &&
      value.Data().empty() && EmptyMeansNull(family))
    isNull = true;
  if (isNull) {
    if (!column.nullable)
      throw std::runtime_error("ORA-01400: cannot insert NULL into (" + qualifiedColumn + ")");
    return {};
  }
  StoredValue stored;
  switch (family) {
    case TypeFamily::Number:
      stored = StoreNumber(value, column);
      break;
    case TypeFamily::BinaryFloat:
    case TypeFamily::BinaryDouble:
      stored = StoreBinaryFloat(value, family == TypeFamily::BinaryFloat);
      break;
    case TypeFamily::Date:
      stored = StoreDate(value);
      break;
    case TypeFamily::Raw:
    case TypeFamily::LongRaw:
    case TypeFamily::Blob:
      stored = StoreBytes(value, column, family, qualifiedColumn);
      break;
    default:
      stored = StoreText(value, column, family, qualifiedColumn);
      break;
  }
  if (stored.kind == StoredValue::Kind::Null && !column.nullable)
    throw std::runtime_error("ORA-01400: cannot insert NULL into (" + qualifiedColumn + ")");
  return stored;
}

Variant ReadStoredValue(const SqliteStatement& statement, int index, TypeFamily family) {
  sqlite3_stmt* raw = statement.Get();
  const int type = sqlite3_column_type(raw, index);
  if (type == SQLITE_NULL) return Variant::Null();
  switch (family) {
    case TypeFamily::Number:
      return Variant::FromDecimal(statement.ColumnText(index));
    case TypeFamily::BinaryFloat:
    case TypeFamily::BinaryDouble:
      if (type == SQLITE_TEXT) {
        auto number = ParseBinaryFloat(statement.ColumnText(index));
        return Variant::FromDouble(number.value_or(std::nan("")));
      }
      return Variant::FromDouble(sqlite3_column_double(raw, index));
    case TypeFamily::Date: {
      auto date = DecodeStoredDate(statement.ColumnText(index));
      return date ? Variant::FromDate(*date) : Variant::FromText(statement.ColumnText(index));
    }
    case TypeFamily::Raw:
    case TypeFamily::LongRaw:
    case TypeFamily::Blob:
      return Variant::FromBytes(statement.ColumnBlob(index));
    default:
      return Variant::FromText(statement.ColumnText(index));
  }
}

Variant ToOracleTextForm(const Variant& value, TypeFamily family) {
  switch (value.Kind()) {
    case VariantKind::Empty:
    case VariantKind::Null:
      return Variant::Null();
    case VariantKind::Decimal:
      return Variant::FromText(OracleNumberText(value.Data()));
    case VariantKind::Double:
      return Variant::FromText(
          OracleBinaryFloatText(value.AsDouble(), family == TypeFamily::BinaryFloat));
    case VariantKind::Date: {
      const SourceDate& d = value.AsDate();
      char buffer[32];
      const int month = d.month >= 1 && d.month <= 12 ? d.month - 1 : 0;
      std::snprintf(buffer, sizeof buffer, "%02d-%s-%02d", d.day, kMonths[month],
                    std::abs(d.year) % 100);
      return Variant::FromText(buffer);
    }
    case VariantKind::ByteArray:
      return Variant::FromText(text::HexOfBytes(value.Data()));
    case VariantKind::Text:
      return value;
  }
  return Variant::Null();
}

std::string OracleNumberText(std::string_view canonical) {
  if (canonical.starts_with("0.")) return std::string(canonical.substr(1));
  if (canonical.starts_with("-0.")) return "-" + std::string(canonical.substr(2));
  return std::string(canonical);
}

std::string OracleBinaryFloatText(double value, bool singlePrecision) {
  if (std::isnan(value)) return "Nan";
  if (std::isinf(value)) return value < 0 ? "-Inf" : "Inf";
  if (value == 0) return "0";
  char buffer[64];
  std::to_chars_result result =
      singlePrecision
          ? std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(value),
                          std::chars_format::scientific)
          : std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
  const std::string text(buffer, result.ptr);
  const auto e = text.find('e');
  std::string mantissa = text.substr(0, e);
  if (mantissa.find('.') == std::string::npos) mantissa += ".0";
  const int exponent = std::atoi(text.c_str() + e + 1);
  char tail[16];
  std::snprintf(tail, sizeof tail, "E%c%03d", exponent < 0 ? '-' : '+', std::abs(exponent));
  return mantissa + tail;
}

std::string FormatTimestampDisplay(const SourceDate& date, std::string_view fraction, int precision,
                                   std::optional<std::string> zone) {
  const int month = date.month >= 1 && date.month <= 12 ? date.month - 1 : 0;
  const int hour12 = date.hour % 12 == 0 ? 12 : date.hour % 12;
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%02d-%s-%02d %02d.%02d.%02d", date.day, kMonths[month],
                std::abs(date.year) % 100, hour12, date.minute, date.second);
  std::string text = buffer;
  if (precision > 0) {
    std::string digits(fraction.substr(0, static_cast<std::size_t>(precision)));
    digits.append(static_cast<std::size_t>(precision) - digits.size(), '0');
    text += "." + digits;
  }
  text += date.hour < 12 ? " AM" : " PM";
  if (zone) text += " " + *zone;
  return text;
}

}  // namespace skerrow::oracle
