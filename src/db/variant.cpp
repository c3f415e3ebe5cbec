#include "db/variant.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace skerrow {

namespace {

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 0001-01-01 (proleptic Gregorian) to the given day.
long DaysFromCivil(int year, int month, int day) {
  const int y = year - (month <= 2 ? 1 : 0);
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = y - era * 400;
  const int mp = (month + 9) % 12;
  const int doy = (153 * mp + 2) / 5 + day - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return static_cast<long>(era) * 146097 + doe - 719468;  // days since 1970-01-01
}

void CivilFromDays(long z, int& year, int& month, int& day) {
  z += 719468;
  const long era = (z >= 0 ? z : z - 146096) / 146097;
  const long doe = z - era * 146097;
  const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

// Automation dates count days from 1899-12-30; the fraction's magnitude is the time of day.
std::optional<SourceDate> DateFromAutomation(double value) {
  if (!std::isfinite(value) || value < -657434.0 || value >= 2958466.0) return std::nullopt;
  double whole = std::trunc(value);
  double fraction = std::fabs(value - whole);
  long seconds = std::lround(fraction * 86400.0);
  if (seconds >= 86400) {
    seconds -= 86400;
    whole += value < 0 ? -1 : 1;
  }
  int year = 0, month = 0, day = 0;
  CivilFromDays(DaysFromCivil(1899, 12, 30) + static_cast<long>(whole), year, month, day);
  SourceDate date;
  date.year = static_cast<std::int16_t>(year);
  date.month = static_cast<std::int8_t>(month);
  date.day = static_cast<std::int8_t>(day);
  date.hour = static_cast<std::int8_t>(seconds / 3600);
  date.minute = static_cast<std::int8_t>(seconds / 60 % 60);
  date.second = static_cast<std::int8_t>(seconds % 60);
  if (!date.IsValid()) return std::nullopt;
  return date;
}

bool ParseInt(std::string_view text, int& out) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return ec == std::errc() && end == text.data() + text.size();
}

std::optional<SourceDate> DateFromText(std::string_view text) {
  // YYYY-MM-DD or YYYY-MM-DD HH:MM:SS (the separator may also be "T").
  if (text.size() != 10 && text.size() != 19) return std::nullopt;
  if (text[4] != '-' || text[7] != '-') return std::nullopt;
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  if (!ParseInt(text.substr(0, 4), y) || !ParseInt(text.substr(5, 2), mo) ||
      !ParseInt(text.substr(8, 2), d))
    return std::nullopt;
  if (text.size() == 19) {
    if ((text[10] != ' ' && text[10] != 'T') || text[13] != ':' || text[16] != ':')
      return std::nullopt;
    if (!ParseInt(text.substr(11, 2), h) || !ParseInt(text.substr(14, 2), mi) ||
        !ParseInt(text.substr(17, 2), s))
      return std::nullopt;
  }
  SourceDate date{static_cast<std::int16_t>(y), static_cast<std::int8_t>(mo),
                  static_cast<std::int8_t>(d),  static_cast<std::int8_t>(h),
                  static_cast<std::int8_t>(mi), static_cast<std::int8_t>(s)};
  if (!date.IsValid()) return std::nullopt;
  return date;
}

std::string ShortestDoubleText(double value) {
  char buffer[64];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  if (ec != std::errc()) return {};
  return std::string(buffer, end);
}

}  // namespace

std::string_view VariantKindName(VariantKind kind) {
  switch (kind) {
    case VariantKind::Empty:
      return "EMPTY";
    case VariantKind::Null:
      return "NULL";
    case VariantKind::Double:
      return "DOUBLE";
    case VariantKind::Date:
      return "DATE";
    case VariantKind::Text:
      return "TEXT";
    case VariantKind::Decimal:
      return "DECIMAL";
    case VariantKind::ByteArray:
      return "BYTES";
  }
  return "UNKNOWN";
}

bool SourceDate::IsValid() const {
  if (year < 1 || year > 9999 || month < 1 || month > 12) return false;
  if (day < 1 || day > DaysInMonth(year, month)) return false;
  return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60;
}

std::string SourceDate::ToString() const {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour,
                minute, second);
  return buffer;
}

Variant Variant::Null() {
  Variant v;
  v.kind_ = VariantKind::Null;
  return v;
}

Variant Variant::FromText(std::string utf8) {
  Variant v;
  v.kind_ = VariantKind::Text;
  v.data_ = std::move(utf8);
  return v;
}

Variant Variant::FromDecimal(std::string exact) {
  Variant v;
  v.kind_ = VariantKind::Decimal;
  v.data_ = std::move(exact);
  return v;
}

Variant Variant::FromDouble(double value) {
  Variant v;
  v.kind_ = VariantKind::Double;
  v.number_ = value;
  return v;
}

Variant Variant::FromDate(SourceDate date) {
  Variant v;
  v.kind_ = VariantKind::Date;
  v.date_ = date;
  return v;
}

Variant Variant::FromBytes(std::string bytes) {
  Variant v;
  v.kind_ = VariantKind::ByteArray;
  v.data_ = std::move(bytes);
  return v;
}

std::optional<std::string> Variant::ToText() const {
  switch (kind_) {
    case VariantKind::Empty:
      return std::string();
    case VariantKind::Null:
      return std::nullopt;
    case VariantKind::Double:
      return ShortestDoubleText(number_);
    case VariantKind::Date:
      if (!date_.IsValid()) return std::nullopt;
      return date_.ToString();
    case VariantKind::Text:
    case VariantKind::Decimal:
    case VariantKind::ByteArray:
      return data_;
  }
  return std::nullopt;
}

std::optional<SourceDate> Variant::ToDate() const {
  switch (kind_) {
    case VariantKind::Date:
      if (!date_.IsValid()) return std::nullopt;
      return date_;
    case VariantKind::Text:
      return DateFromText(data_);
    case VariantKind::Double:
      return DateFromAutomation(number_);
    case VariantKind::Decimal: {
      double value = 0;
      auto [end, ec] = std::from_chars(data_.data(), data_.data() + data_.size(), value);
      if (ec != std::errc() || end != data_.data() + data_.size()) return std::nullopt;
      return DateFromAutomation(value);
    }
    default:
      return std::nullopt;
  }
}

bool operator==(const Variant& a, const Variant& b) {
  if (a.kind_ != b.kind_) return false;
  switch (a.kind_) {
    case VariantKind::Double:
      return a.number_ == b.number_;
    case VariantKind::Date:
      return a.date_ == b.date_;
    default:
      return a.data_ == b.data_;
  }
}

std::optional<std::string> MakeDecimal(std::string_view text) {
  bool negative = false;
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::string digits;  // all significant digits, integer and fraction together
  long pointPosition = -1;
  bool sawDigit = false;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c >= '0' && c <= '9') {
      digits.push_back(c);
      sawDigit = true;
    } else if (c == '.' && pointPosition < 0) {
      pointPosition = static_cast<long>(digits.size());
    } else {
      break;
    }
  }
  if (!sawDigit) return std::nullopt;
  if (pointPosition < 0) pointPosition = static_cast<long>(digits.size());
  if (i < text.size()) {
    if (text[i] != 'e' && text[i] != 'E') return std::nullopt;
    int exponent = 0;
    std::string_view rest = text.substr(i + 1);
    if (!rest.empty() && rest.front() == '+') rest.remove_prefix(1);
    auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), exponent);
    if (ec != std::errc() || end != rest.data() + rest.size()) return std::nullopt;
    if (exponent > 200 || exponent < -200) return std::nullopt;
    pointPosition += exponent;
  }
  // Place the point, padding with zeros where the exponent moved it outside the digits.
  if (pointPosition < 0) {
    digits = std::string(static_cast<std::size_t>(-pointPosition), '0') + digits;
    pointPosition = 0;
  }
  while (static_cast<long>(digits.size()) < pointPosition) digits.push_back('0');
  std::string integer = digits.substr(0, static_cast<std::size_t>(pointPosition));
  std::string fraction = digits.substr(static_cast<std::size_t>(pointPosition));
  integer.erase(0, integer.find_first_not_of('0'));
  if (integer.empty()) integer = "0";
  fraction.erase(fraction.find_last_not_of('0') + 1);
  const bool isZero = integer == "0" && fraction.empty();
  std::string result = negative && !isZero ? "-" + integer : integer;
  if (!fraction.empty()) result += "." + fraction;
  return result;
}

}  // namespace skerrow
