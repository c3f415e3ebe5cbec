#include "oracle/loader/script_conversion.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "oracle/sql_datetime.h"
#include "oracle/sql_decimal.h"
#include "oracle/type_family.h"
#include "text/ascii.h"
#include "text/hex.h"
#include "text/utf8.h"

namespace skerrow::oracle {

namespace {

using Kind = ScriptValue::Kind;

[[noreturn]] void TooLarge(const std::string& qualifiedName, std::size_t actual, int maximum) {
  throw std::runtime_error("ORA-12899: value too large for column " + qualifiedName + " (actual: " +
                           std::to_string(actual) + ", maximum: " + std::to_string(maximum) + ")");
}

[[noreturn]] void Inconsistent(const std::string& qualifiedName, const std::string& expected,
                               const std::string& got) {
  throw std::runtime_error("ORA-00932: inconsistent datatypes: expected " + expected + " got " +
                           got + " (column " + qualifiedName + ")");
}

std::string KindName(Kind kind) {
  switch (kind) {
    case Kind::Number:
    case Kind::Double:
      return "NUMBER";
    case Kind::Date:
      return "DATE";
    case Kind::Timestamp:
      return "TIMESTAMP";
    case Kind::Bytes:
      return "BINARY";
    default:
      return "CHAR";
  }
}

std::string ExactNumber(const ScriptValue& value, const std::string& qualifiedName) {
  if (value.kind == Kind::Number || value.kind == Kind::Double) return value.text;
  if (value.kind == Kind::Text) {
    std::string trimmed = value.text;
    trimmed.erase(0, trimmed.find_first_not_of(" \t\r\n"));
    trimmed.erase(trimmed.find_last_not_of(" \t\r\n") + 1);
    if (auto exact = MakeDecimal(trimmed)) return *exact;
    throw std::runtime_error("ORA-01722: invalid number ('" + value.text.substr(0, 40) +
                             "' for column " + qualifiedName + ")");
  }
  Inconsistent(qualifiedName, "NUMBER", KindName(value.kind));
}

Variant FitNumber(const ScriptValue& value, const ColumnDefinition& column,
                  const std::string& qualifiedName) {
  std::string exact = ExactNumber(value, qualifiedName);
  if (column.dataType == "FLOAT") {
    // FLOAT(n) keeps n binary digits, about n * 0.30103 decimal ones.
    const int digits = std::max(1, (column.dataPrecision.value_or(126) * 30103 + 99999) / 100000);
    exact = DecimalRoundSignificant(exact, digits);
  } else if (column.dataScale) {
    exact = DecimalRound(exact, *column.dataScale);
  } else {
    exact = DecimalRoundSignificant(exact, 40);
  }
  if (column.dataType == "NUMBER" && column.dataPrecision) {
    const int scale = column.dataScale.value_or(0);
    if (exact != "0" && DecimalIntegerDigits(exact) > *column.dataPrecision - scale)
      throw std::runtime_error(
          "ORA-01438: value larger than specified precision allowed for this column (" +
          qualifiedName + ")");
  }
  if (DecimalIntegerDigits(exact) > 126)
    throw std::runtime_error("ORA-01426: numeric overflow (" + qualifiedName + ")");
  return Variant::FromDecimal(exact);
}

Variant FitBinaryNumber(const ScriptValue& value, const ColumnDefinition& column,
                        const std::string& qualifiedName) {
  const std::string exact = ExactNumber(value, qualifiedName);
  double number = std::strtod(exact.c_str(), nullptr);
  if (column.dataType == "BINARY_FLOAT") number = static_cast<double>(static_cast<float>(number));
  return Variant::FromDouble(number);
}

std::string TextFor(const ScriptValue& value, const ColumnDefinition& column,
                    const std::string& qualifiedName, const ExpressionContext& context) {
  (void)column;
  (void)qualifiedName;
  return ValueAsText(value, context);
}

Variant FitText(const ScriptValue& value, const ColumnDefinition& column,
                const std::string& qualifiedName, const ExpressionContext& context,
                bool blankPadded) {
  std::string text = TextFor(value, column, qualifiedName, context);
  if (column.dataType == "LONG" || column.dataType == "ROWID" || column.dataType == "UROWID")
    return Variant::FromText(std::move(text));
  const bool charSemantics = column.charUsed == "C";
  const std::size_t chars = text::Utf8Length(text);
  if (charSemantics && chars > static_cast<std::size_t>(column.charLength))
    TooLarge(qualifiedName, chars, column.charLength);
  if (text.size() > static_cast<std::size_t>(column.dataLength))
    TooLarge(qualifiedName, text.size(), column.dataLength);
  if (blankPadded) {
    std::size_t target = charSemantics ? static_cast<std::size_t>(column.charLength)
                                       : static_cast<std::size_t>(column.dataLength);
    std::size_t have = charSemantics ? chars : text.size();
    if (have < target) text.append(target - have, ' ');
  }
  return Variant::FromText(std::move(text));
}

Variant FitDate(const ScriptValue& value, const std::string& qualifiedName,
                const ExpressionContext& context) {
  if (value.kind == Kind::Date || value.kind == Kind::Timestamp) {
    SourceDate date = value.date;
    return Variant::FromDate(date);
  }
  if (value.kind == Kind::Text) {
    std::string error;
    auto parsed = ParseWithFormat(value.text, context.dateFormat, true, error);
    if (!parsed)
      throw std::runtime_error(error + " ('" + value.text.substr(0, 40) + "' for column " +
                               qualifiedName + ", read with the date format " + context.dateFormat +
                               ")");
    return Variant::FromDate(parsed->date);
  }
  Inconsistent(qualifiedName, "DATE", KindName(value.kind));
}

Variant FitTimestamp(const ScriptValue& value, const ColumnDefinition& column,
                     const std::string& qualifiedName, const ExpressionContext& context) {
  ScriptValue timestamp = value;
  if (value.kind == Kind::Text) {
    std::string error;
    auto parsed = ParseTimestampLiteral(value.text, error);
    if (!parsed) {
      parsed = ParseWithFormat(value.text, "DD-MON-RR HH.MI.SSXFF AM", false, error);
      if (!parsed) throw std::runtime_error(error + " (column " + qualifiedName + ")");
    }
    timestamp = *parsed;
  } else if (value.kind != Kind::Date && value.kind != Kind::Timestamp) {
    Inconsistent(qualifiedName, "TIMESTAMP", KindName(value.kind));
  }
  (void)context;
  const int precision = column.dataScale.value_or(6);
  std::string fraction = timestamp.fraction;
  // Round the fraction to the column's precision.
  std::string text = timestamp.date.ToString();
  if (precision > 0) {
    fraction.resize(static_cast<std::size_t>(precision), '0');
    text += "." + fraction;
  }
  if (column.dataType.ends_with("WITH TIME ZONE"))
    text += " " + (timestamp.zone.empty() ? std::string("+00:00") : timestamp.zone);
  return Variant::FromText(text);
}

std::string Digits(unsigned long long value, int width) {
  std::string text = std::to_string(value);
  while (static_cast<int>(text.size()) < width) text = "0" + text;
  return text;
}

bool AllDigits(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

// An interval value in the text Oracle shows for the column's type: the leading field padded
// to the column's leading precision, the seconds to its fractional precision ("+001
// 02:03:04.50" in an INTERVAL DAY(3) TO SECOND(2) column), whatever precisions the literal
// was written with.
Variant FitInterval(const ScriptValue& value, const ColumnDefinition& column,
                    const std::string& qualifiedName, const ExpressionContext& context) {
  if (value.kind != Kind::Text) Inconsistent(qualifiedName, "INTERVAL", KindName(value.kind));
  std::string body = ValueAsText(value, context);
  body.erase(0, body.find_first_not_of(" \t"));
  body.erase(body.find_last_not_of(" \t") + 1);
  const auto invalid = [&]() -> Variant {
    throw std::runtime_error("ORA-01867: the interval is invalid ('" + body.substr(0, 40) +
                             "' for column " + qualifiedName + ")");
  };
  bool negative = false;
  if (!body.empty() && (body[0] == '+' || body[0] == '-')) {
    negative = body[0] == '-';
    body.erase(0, 1);
  }
  const int leading = column.dataPrecision.value_or(2);
  const auto checkLeading = [&](const std::string& digits) {
    if (static_cast<int>(digits.size()) > leading &&
        digits.find_first_not_of('0') != std::string::npos &&
        static_cast<int>(digits.size() - digits.find_first_not_of('0')) > leading)
      throw std::runtime_error("ORA-01873: the leading precision of the interval is too small (" +
                               qualifiedName + ")");
  };
  const std::string sign = negative ? "-" : "+";
  if (column.dataType.find("YEAR") != std::string::npos) {
    const std::size_t dash = body.find('-');
    const std::string years = body.substr(0, dash);
    const std::string months = dash == std::string::npos ? "0" : body.substr(dash + 1);
    if (!AllDigits(years) || !AllDigits(months) || months.size() > 2) return invalid();
    checkLeading(years);  // before the digits are read as a number: they may be thousands
    if (std::stoi(months) > 11)
      throw std::runtime_error("ORA-01843: not a valid month (" + qualifiedName + ")");
    return Variant::FromText(sign + Digits(std::stoull(years), leading) + "-" +
                             Digits(std::stoull(months), 2));
  }
  const int fraction = column.dataScale.value_or(6);
  const std::size_t blank = body.find(' ');
  const std::string days = body.substr(0, blank);
  const std::string time = blank == std::string::npos ? "0:0:0" : body.substr(blank + 1);
  const std::size_t point = time.find('.');
  const std::string whole = time.substr(0, point);
  std::string digits = point == std::string::npos ? "" : time.substr(point + 1);
  std::vector<std::string> parts;
  for (std::size_t start = 0;;) {
    const std::size_t colon = whole.find(':', start);
    parts.push_back(
        whole.substr(start, colon == std::string::npos ? std::string::npos : colon - start));
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  while (parts.size() < 3) parts.push_back("0");
  if (!AllDigits(days) || parts.size() != 3 || (!digits.empty() && !AllDigits(digits)))
    return invalid();
  for (const std::string& part : parts)
    if (!AllDigits(part) || part.size() > 2) return invalid();
  checkLeading(days);  // before the digits are read as a number: they may be thousands
  unsigned long long dayCount = std::stoull(days);
  int hours = std::stoi(parts[0]), minutes = std::stoi(parts[1]), seconds = std::stoi(parts[2]);
  if (hours > 23 || minutes > 59 || seconds > 59) return invalid();
  // Fractional seconds round to the column's precision, carrying into the larger fields.
  unsigned long long scaled = 0, limit = 1;
  for (int i = 0; i < fraction; ++i) {
    scaled = scaled * 10 + (i < static_cast<int>(digits.size()) ? digits[i] - '0' : 0);
    limit *= 10;
  }
  if (static_cast<int>(digits.size()) > fraction && digits[fraction] >= '5') ++scaled;
  if (scaled >= limit) {
    scaled -= limit;
    if (++seconds == 60) {
      seconds = 0;
      if (++minutes == 60) {
        minutes = 0;
        if (++hours == 24) {
          hours = 0;
          ++dayCount;
        }
      }
    }
  }
  checkLeading(std::to_string(dayCount));
  std::string text = sign + Digits(dayCount, leading) + " " + Digits(hours, 2) + ":" +
                     Digits(minutes, 2) + ":" + Digits(seconds, 2);
  if (fraction > 0) text += "." + Digits(scaled, fraction);
  return Variant::FromText(text);
}

Variant FitBinary(const ScriptValue& value, const ColumnDefinition& column,
                  const std::string& qualifiedName) {
  std::string bytes;
  if (value.kind == Kind::Bytes) {
    bytes = value.text;
  } else if (value.kind == Kind::Text) {
    auto decoded = text::BytesOfHex(value.text);
    if (!decoded)
      throw std::runtime_error("ORA-01465: invalid hex number ('" + value.text.substr(0, 40) +
                               "' for column " + qualifiedName + ")");
    bytes = *decoded;
  } else {
    Inconsistent(qualifiedName, "BINARY", KindName(value.kind));
  }
  if (column.dataType == "RAW" && bytes.size() > static_cast<std::size_t>(column.dataLength))
    TooLarge(qualifiedName, bytes.size(), column.dataLength);
  return Variant::FromBytes(std::move(bytes));
}

}  // namespace

Variant FitToColumn(const ScriptValue& value, const ColumnDefinition& column,
                    const std::string& qualifiedName, const ExpressionContext& context) {
  const TypeFamily family = FamilyOfDataType(column.dataType);
  if (value.kind == Kind::EmptyLob) {
    if (family == TypeFamily::CharLob) return Variant::FromText("");
    if (family == TypeFamily::Blob) return Variant::FromBytes("");
    Inconsistent(qualifiedName, column.dataType, "LOB");
  }
  if (value.IsNull()) return Variant::Null();
  switch (family) {
    case TypeFamily::Number:
      return FitNumber(value, column, qualifiedName);
    case TypeFamily::BinaryFloat:
    case TypeFamily::BinaryDouble:
      return FitBinaryNumber(value, column, qualifiedName);
    case TypeFamily::VarChar:
    case TypeFamily::Long:
      return FitText(value, column, qualifiedName, context, false);
    case TypeFamily::FixedChar:
      return FitText(value, column, qualifiedName, context, true);
    case TypeFamily::Interval:
      return FitInterval(value, column, qualifiedName, context);
    case TypeFamily::OtherText:
      // Row ids are checked like text; object values are kept as the text Oracle shows.
      if (!column.typeOwner && (column.dataType == "ROWID" || column.dataType == "UROWID"))
        return FitText(value, column, qualifiedName, context, false);
      return Variant::FromText(ValueAsText(value, context));
    case TypeFamily::CharLob:
      if (value.kind == Kind::Bytes) Inconsistent(qualifiedName, "CLOB", "BINARY");
      return Variant::FromText(ValueAsText(value, context));
    case TypeFamily::Uri:
      return Variant::FromText(ValueAsText(value, context));
    case TypeFamily::Date:
      return FitDate(value, qualifiedName, context);
    case TypeFamily::Timestamp:
      return FitTimestamp(value, column, qualifiedName, context);
    case TypeFamily::Raw:
    case TypeFamily::LongRaw:
    case TypeFamily::Blob:
      return FitBinary(value, column, qualifiedName);
  }
  return Variant::Null();
}

}  // namespace skerrow::oracle
