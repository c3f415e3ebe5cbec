#include "oracle/sql_datetime.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <ctime>
#include <stdexcept>
#include <utility>

#include "oracle/sql_characters.h"
#include "oracle/sql_decimal.h"
#include "oracle/sql_lexer.h"
#include "text/ascii.h"

namespace skerrow::oracle {

namespace {

constexpr std::array<const char*, 12> kMonthNames = {
    "JANUARY", "FEBRUARY", "MARCH",     "APRIL",   "MAY",      "JUNE",
    "JULY",    "AUGUST",   "SEPTEMBER", "OCTOBER", "NOVEMBER", "DECEMBER"};

// Format elements, longest first so that a longer element wins over its prefix.
constexpr const char* kElements[] = {
    "SSSSS", "SYYYY", "MONTH", "A.M.", "P.M.", "YYYY", "RRRR", "HH24", "HH12", "FF1",
    "FF2",   "FF3",   "FF4",   "FF5",  "FF6",  "FF7",  "FF8",  "FF9",  "YYY",  "MON",
    "DAY",   "TZH",   "TZM",   "TZR",  "DDD",  "SCC",  "FF",   "YY",   "RR",   "MM",
    "DD",    "DY",    "HH",    "MI",   "CC",   "WW",   "IW"};
constexpr const char* kShortElements[] = {"SS", "AM", "PM", "FX", "FM", "TH",
                                          "X",  "Y",  "D",  "J",  "Q",  "W"};

constexpr const char* kDayNames[] = {"SUNDAY",   "MONDAY", "TUESDAY", "WEDNESDAY",
                                     "THURSDAY", "FRIDAY", "SATURDAY"};

bool IsLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

long long DaysFromCivil(long long y, int m, int d) {
  y -= m <= 2 ? 1 : 0;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long yoe = y - era * 400;
  const long long doy = (153 * ((m + 9) % 12) + 2) / 5 + d - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(long long z, long long& y, int& m, int& d) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const long long doe = z - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = yoe + era * 400 + (m <= 2 ? 1 : 0);
}

long long SecondsSinceEpoch(const SourceDate& date) {
  return DaysFromCivil(date.year, date.month, date.day) * 86400 + date.hour * 3600 +
         date.minute * 60 + date.second;
}

std::optional<SourceDate> DateFromSeconds(long long seconds) {
  long long days = seconds / 86400;
  long long rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  long long year = 0;
  int month = 0, day = 0;
  CivilFromDays(days, year, month, day);
  if (year < 1 || year > 9999) return std::nullopt;
  return SourceDate{static_cast<std::int16_t>(year),
                    static_cast<std::int8_t>(month),
                    static_cast<std::int8_t>(day),
                    static_cast<std::int8_t>(rest / 3600),
                    static_cast<std::int8_t>(rest / 60 % 60),
                    static_cast<std::int8_t>(rest % 60)};
}

// The next element of a format model at `pos`: an element name, a "quoted text" or one
// punctuation character.
std::string NextElement(std::string_view format, std::size_t pos) {
  const std::string upper = text::ToUpperAscii(format.substr(pos, 5));
  for (const char* element : kElements)
    if (upper.starts_with(element)) return element;
  for (const char* element : kShortElements)
    if (upper.starts_with(element)) return element;
  return std::string(1, format[pos]);
}

// Elements TO_DATE cannot read (Oracle: ORA-01820), but TO_CHAR writes.
bool IsOutputOnlyElement(const std::string& element) {
  return element == "DDD" || element == "D" || element == "J" || element == "Q" ||
         element == "CC" || element == "SCC" || element == "WW" || element == "IW" ||
         element == "W" || element == "TH";
}

struct Fields {
  std::optional<int> year, month, day, hour, minute, second, hour12, secondsOfDay;
  bool pm = false;
  bool meridian = false;
  std::string fraction;
  std::string zone;
};

class InputReader {
 public:
  explicit InputReader(std::string_view text) : text_(text) {}

  void SkipBlanks() {
    while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
  }
  bool AtEnd() const { return pos_ >= text_.size(); }
  std::size_t Position() const { return pos_; }
  char Peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }
  void Advance(std::size_t n = 1) { pos_ += n; }
  std::string_view Rest() const { return text_.substr(pos_); }

  // Up to `maxDigits` digits, with an optional leading sign when `sign`.
  std::optional<int> Number(std::size_t maxDigits, std::size_t* digitsRead = nullptr) {
    SkipBlanks();
    bool negative = false;
    if (Peek() == '-' || Peek() == '+') {
      negative = Peek() == '-';
      Advance();
    }
    std::size_t start = pos_;
    while (pos_ < text_.size() && pos_ - start < maxDigits && IsDigit(text_[pos_])) ++pos_;
    if (pos_ == start) return std::nullopt;
    int value = 0;
    std::from_chars(text_.data() + start, text_.data() + pos_, value);
    if (digitsRead) *digitsRead = pos_ - start;
    return negative ? -value : value;
  }

  std::string Letters() {
    SkipBlanks();
    std::size_t start = pos_;
    while (pos_ < text_.size() && (IsLetter(text_[pos_]) || text_[pos_] == '.')) ++pos_;
    return text::ToUpperAscii(text_.substr(start, pos_ - start));
  }

  std::string Digits(std::size_t maxDigits) {
    std::size_t start = pos_;
    while (pos_ < text_.size() && pos_ - start < maxDigits && IsDigit(text_[pos_])) ++pos_;
    return std::string(text_.substr(start, pos_ - start));
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

constexpr const char* kNotNumeric =
    "ORA-01858: a non-numeric character was found where a numeric was expected";

int CurrentYear() {
  return CurrentDate().year;
}
int CurrentMonth() {
  return CurrentDate().month;
}

bool ReadElement(const std::string& element, InputReader& input, Fields& fields,
                 std::string& error) {
  auto number = [&](std::size_t digits, std::optional<int>& field) {
    auto value = input.Number(digits);
    if (!value) {
      error = kNotNumeric;
      return false;
    }
    field = *value;
    return true;
  };
  if (element == "YYYY" || element == "SYYYY" || element == "RRRR") return number(4, fields.year);
  if (element == "YYY" || element == "Y") {
    std::size_t digits = 0;
    auto value = input.Number(element.size(), &digits);
    if (!value) {
      error = kNotNumeric;
      return false;
    }
    int modulus = element == "Y" ? 10 : 1000;
    fields.year = CurrentYear() / modulus * modulus + *value;
    return true;
  }
  if (element == "YY" || element == "RR") {
    std::size_t digits = 0;
    auto value = input.Number(4, &digits);
    if (!value) {
      error = kNotNumeric;
      return false;
    }
    if (digits > 2) {
      fields.year = *value;
    } else {
      const int century = CurrentYear() / 100 * 100;
      const int yearInCentury = CurrentYear() % 100;
      int year = century + *value;
      if (element == "RR") {
        if (yearInCentury < 50 && *value >= 50) year -= 100;
        if (yearInCentury >= 50 && *value < 50) year += 100;
      }
      fields.year = year;
    }
    return true;
  }
  if (element == "MM") return number(2, fields.month);
  if (element == "DD") return number(2, fields.day);
  if (element == "HH" || element == "HH12") return number(2, fields.hour12);
  if (element == "HH24") return number(2, fields.hour);
  if (element == "MI") return number(2, fields.minute);
  if (element == "SS") return number(2, fields.second);
  if (element == "SSSSS") return number(5, fields.secondsOfDay);
  if (element == "MON" || element == "MONTH") {
    std::string name = input.Letters();
    for (std::size_t i = 0; i < kMonthNames.size(); ++i) {
      std::string_view full = kMonthNames[i];
      if (name == full || (name.size() == 3 && full.starts_with(name))) {
        fields.month = static_cast<int>(i) + 1;
        return true;
      }
    }
    error = "ORA-01843: not a valid month";
    return false;
  }
  if (element == "DY" || element == "DAY") {
    input.Letters();  // the weekday follows from the date
    return true;
  }
  if (element == "AM" || element == "PM" || element == "A.M." || element == "P.M.") {
    std::string meridian = input.Letters();
    if (meridian == "AM" || meridian == "A.M.") {
      fields.pm = false;
    } else if (meridian == "PM" || meridian == "P.M.") {
      fields.pm = true;
    } else {
      error = "ORA-01855: AM/A.M. or PM/P.M. required";
      return false;
    }
    fields.meridian = true;
    return true;
  }
  if (element.starts_with("FF")) {
    std::size_t digits = element.size() == 3 ? static_cast<std::size_t>(element[2] - '0') : 9;
    fields.fraction = input.Digits(digits);
    return true;
  }
  if (element == "TZH") {
    input.SkipBlanks();
    std::string sign = "+";
    if (input.Peek() == '+' || input.Peek() == '-') {
      sign = std::string(1, input.Peek());
      input.Advance();
    }
    std::string hours = input.Digits(2);
    if (hours.empty()) {
      error = kNotNumeric;
      return false;
    }
    if (hours.size() == 1) hours = "0" + hours;
    fields.zone = sign + hours + ":00";
    return true;
  }
  if (element == "TZM") {
    std::string minutes = input.Digits(2);
    if (minutes.size() == 1) minutes = "0" + minutes;
    if (!minutes.empty() && fields.zone.size() >= 3)
      fields.zone = fields.zone.substr(0, 4) + minutes;
    return true;
  }
  if (element == "TZR") {
    input.SkipBlanks();
    std::string_view rest = input.Rest();
    std::size_t length = rest.find(' ');
    if (length == std::string_view::npos) length = rest.size();
    fields.zone = std::string(rest.substr(0, length));
    input.Advance(length);
    return true;
  }
  if (element == "FX" || element == "FM") return true;
  if (IsOutputOnlyElement(element)) {
    error = "ORA-01820: format code cannot appear in date input format (" + element + ")";
    return false;
  }
  if (element == "X") {
    if (input.Peek() == '.') input.Advance();
    return true;
  }
  // Punctuation and blanks: Oracle accepts any punctuation in the input for them.
  while (!input.AtEnd() && !IsDigit(input.Peek()) && !IsLetter(input.Peek()) &&
         static_cast<unsigned char>(input.Peek()) < 0x80)
    input.Advance();
  return true;
}

// A time zone as written after a timestamp: an offset "+H[H]:MM" (normalised to "+HH:MM") or a
// region name ("Europe/Oslo", "UTC"); nullopt with Oracle's error for anything else.
std::optional<std::string> CheckedZone(std::string_view zone, std::string& error) {
  if (zone.empty()) return std::string();
  if (zone.front() == '+' || zone.front() == '-') {
    std::size_t i = 1;
    int hours = 0, minutes = 0, hourDigits = 0;
    while (i < zone.size() && IsDigit(zone[i]) && hourDigits < 3) {
      hours = hours * 10 + (zone[i++] - '0');
      ++hourDigits;
    }
    bool wellFormed = hourDigits > 0 && hourDigits <= 2;
    if (wellFormed && i < zone.size()) {
      wellFormed =
          zone[i] == ':' && i + 3 == zone.size() && IsDigit(zone[i + 1]) && IsDigit(zone[i + 2]);
      if (wellFormed) minutes = (zone[i + 1] - '0') * 10 + (zone[i + 2] - '0');
    }
    if (!wellFormed) {
      error = "ORA-01857: not a valid time zone ('" + std::string(zone.substr(0, 20)) + "')";
      return std::nullopt;
    }
    if (hours > 15) {
      error = "ORA-01874: time zone hour must be between -15 and 15";
      return std::nullopt;
    }
    if (minutes > 59) {
      error = "ORA-01875: time zone minute must be between -59 and 59";
      return std::nullopt;
    }
    char normalised[8];
    std::snprintf(normalised, sizeof normalised, "%c%02d:%02d", zone.front(), hours, minutes);
    return std::string(normalised);
  }
  for (char c : zone)
    if (!IsLetter(c) && !IsDigit(c) && c != '/' && c != '_' && c != '-' && c != '+') {
      error = "ORA-01882: timezone region not found ('" + std::string(zone.substr(0, 40)) + "')";
      return std::nullopt;
    }
  return std::string(zone);
}

}  // namespace

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

SourceDate CurrentDate() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return SourceDate{
      static_cast<std::int16_t>(local.tm_year + 1900), static_cast<std::int8_t>(local.tm_mon + 1),
      static_cast<std::int8_t>(local.tm_mday),         static_cast<std::int8_t>(local.tm_hour),
      static_cast<std::int8_t>(local.tm_min),          static_cast<std::int8_t>(local.tm_sec)};
}

std::optional<ScriptValue> ParseWithFormat(std::string_view text, std::string_view format,
                                           bool asDate, std::string& error) {
  Fields fields;
  InputReader input(text);
  std::size_t pos = 0;
  while (pos < format.size()) {
    if (format[pos] == '"') {
      std::size_t close = format.find('"', pos + 1);
      if (close == std::string_view::npos) {
        error = "ORA-01861: literal does not match format string";
        return std::nullopt;
      }
      std::string_view literal = format.substr(pos + 1, close - pos - 1);
      if (text::ToUpperAscii(input.Rest().substr(0, literal.size())) !=
          text::ToUpperAscii(literal)) {
        error = "ORA-01861: literal does not match format string";
        return std::nullopt;
      }
      input.Advance(literal.size());
      pos = close + 1;
      continue;
    }
    const std::string element = NextElement(format, pos);
    pos += element.size();
    if (!ReadElement(element, input, fields, error)) return std::nullopt;
  }
  input.SkipBlanks();
  if (!input.AtEnd()) {
    error = "ORA-01830: date format picture ends before converting entire input string";
    return std::nullopt;
  }

  const int year = fields.year.value_or(CurrentYear());
  const int month = fields.month.value_or(CurrentMonth());
  const int day = fields.day.value_or(1);
  if (year < 1 || year > 9999) {
    error = "ORA-01841: (full) year must be between -4713 and +9999, and not be 0";
    return std::nullopt;
  }
  if (month < 1 || month > 12) {
    error = "ORA-01843: not a valid month";
    return std::nullopt;
  }
  if (day < 1 || day > 31) {
    error = "ORA-01847: day of month must be between 1 and last day of month";
    return std::nullopt;
  }
  if (day > DaysInMonth(year, month)) {
    error = "ORA-01839: date not valid for month specified";
    return std::nullopt;
  }
  int hour = fields.hour.value_or(0);
  if (fields.hour12) {
    if (*fields.hour12 < 1 || *fields.hour12 > 12) {
      error = "ORA-01849: hour must be between 1 and 12";
      return std::nullopt;
    }
    hour = *fields.hour12 % 12 + (fields.pm ? 12 : 0);
  } else if (fields.meridian && fields.pm && hour < 12) {
    hour += 12;
  }
  int minute = fields.minute.value_or(0);
  int second = fields.second.value_or(0);
  if (fields.secondsOfDay) {
    hour = *fields.secondsOfDay / 3600;
    minute = *fields.secondsOfDay / 60 % 60;
    second = *fields.secondsOfDay % 60;
  }
  if (hour < 0 || hour > 23) {
    error = "ORA-01850: hour must be between 0 and 23";
    return std::nullopt;
  }
  if (minute < 0 || minute > 59) {
    error = "ORA-01851: minutes must be between 0 and 59";
    return std::nullopt;
  }
  if (second < 0 || second > 59) {
    error = "ORA-01852: seconds must be between 0 and 59";
    return std::nullopt;
  }
  ScriptValue value = ScriptValue::OfDate(
      SourceDate{static_cast<std::int16_t>(year), static_cast<std::int8_t>(month),
                 static_cast<std::int8_t>(day), static_cast<std::int8_t>(hour),
                 static_cast<std::int8_t>(minute), static_cast<std::int8_t>(second)});
  if (!asDate) {
    auto zone = CheckedZone(fields.zone, error);
    if (!zone) return std::nullopt;
    value.kind = ScriptValue::Kind::Timestamp;
    value.fraction = fields.fraction;
    value.zone = *zone;
  } else if (!fields.fraction.empty()) {
    error = "ORA-01821: date format not recognized";
    return std::nullopt;
  }
  return value;
}

std::optional<ScriptValue> ParseDateLiteral(std::string_view text, std::string& error) {
  std::string_view trimmed = text;
  while (!trimmed.empty() && trimmed.front() == ' ') trimmed.remove_prefix(1);
  while (!trimmed.empty() && trimmed.back() == ' ') trimmed.remove_suffix(1);
  if (trimmed.size() > 10) return ParseWithFormat(trimmed, "YYYY-MM-DD HH24:MI:SS", true, error);
  return ParseWithFormat(trimmed, "YYYY-MM-DD", true, error);
}

std::optional<ScriptValue> ParseTimestampLiteral(std::string_view text, std::string& error) {
  std::string_view body = text;
  while (!body.empty() && body.front() == ' ') body.remove_prefix(1);
  while (!body.empty() && body.back() == ' ') body.remove_suffix(1);
  std::string zone;
  // A trailing "+HH:MM" / "-HH:MM" after the time, or a region name, is the time zone.
  std::size_t timeStart = body.find(' ');
  if (timeStart != std::string_view::npos) {
    std::size_t zoneStart = body.find_first_of("+- ", timeStart + 1);
    if (zoneStart != std::string_view::npos) {
      std::string_view zoneText = body.substr(zoneStart);
      while (!zoneText.empty() && zoneText.front() == ' ') zoneText.remove_prefix(1);
      zone = std::string(zoneText);
      body = body.substr(0, zoneStart);
      while (!body.empty() && body.back() == ' ') body.remove_suffix(1);
    }
  }
  std::optional<ScriptValue> value;
  if (body.find('.') != std::string_view::npos)
    value = ParseWithFormat(body, "YYYY-MM-DD HH24:MI:SS.FF", false, error);
  else if (body.size() > 10)
    value = ParseWithFormat(body, "YYYY-MM-DD HH24:MI:SS", false, error);
  else
    value = ParseWithFormat(body, "YYYY-MM-DD", false, error);
  if (!value) return value;
  auto checked = CheckedZone(zone, error);
  if (!checked) return std::nullopt;
  value->zone = *checked;
  return value;
}

namespace {

// A spelled-out name in the case its element is written in: MONTH gives JANUARY, Month January,
// month january.
std::string InCaseOf(std::string_view written, std::string_view name) {
  std::string out(name);
  const bool lowerFirst = !written.empty() && written[0] >= 'a' && written[0] <= 'z';
  const bool lowerSecond = written.size() > 1 && written[1] >= 'a' && written[1] <= 'z';
  for (std::size_t i = 0; i < out.size(); ++i)
    if (lowerFirst || (i > 0 && lowerSecond)) out[i] = static_cast<char>(out[i] - 'A' + 'a');
  return out;
}

// "st", "nd", "rd" or "th" for TH after a number, in the case TH is written in.
std::string OrdinalSuffix(long long number, std::string_view written) {
  const long long lastTwo = number % 100, last = number % 10;
  const char* suffix = lastTwo >= 11 && lastTwo <= 13 ? "TH"
                       : last == 1                    ? "ST"
                       : last == 2                    ? "ND"
                       : last == 3                    ? "RD"
                                                      : "TH";
  return InCaseOf(written, suffix);
}

}  // namespace

std::string FormatDate(const SourceDate& date, std::string_view format) {
  return FormatDateTime(date, std::nullopt, {}, format);
}

std::string FormatDateTime(const SourceDate& date, std::optional<std::string_view> fraction,
                           std::string_view zone, std::string_view format) {
  const auto unknown = [&](std::string_view element) {
    throw std::runtime_error("ORA-01821: date format not recognized ('" +
                             std::string(format.substr(0, 40)) + "' at " + std::string(element) +
                             ")");
  };
  std::string out;
  std::size_t pos = 0;
  bool fill = false;  // FM: no padding of names and no leading zeros from here on
  char buffer[24];
  const long long days = DaysFromCivil(date.year, date.month, date.day);
  const int dayOfYear = static_cast<int>(days - DaysFromCivil(date.year, 1, 1)) + 1;
  const int weekday = static_cast<int>(((days + 4) % 7 + 7) % 7);  // 1970-01-01 was a Thursday
  std::optional<long long> lastNumber;                             // for TH
  const auto number = [&](long long value, int width) {
    std::snprintf(buffer, sizeof buffer, "%0*lld", fill ? 1 : width, value);
    out += buffer;
    lastNumber = value;
  };
  const auto name = [&](std::string_view written, std::string_view full, std::size_t padTo) {
    std::string text = InCaseOf(written, full);
    if (!fill && text.size() < padTo) text.append(padTo - text.size(), ' ');
    out += text;
  };
  while (pos < format.size()) {
    if (format[pos] == '"') {
      std::size_t close = format.find('"', pos + 1);
      if (close == std::string_view::npos) close = format.size();
      out.append(format.substr(pos + 1, close - pos - 1));
      pos = close + 1;
      continue;
    }
    const std::string element = NextElement(format, pos);
    const std::string_view written = format.substr(pos, element.size());
    pos += element.size();
    const std::optional<long long> previousNumber = std::exchange(lastNumber, std::nullopt);
    if (element == "FM") {
      fill = !fill;
    } else if (element == "FX") {
    } else if (element == "YYYY" || element == "RRRR" || element == "SYYYY") {
      number(date.year, 4);
    } else if (element == "YYY") {
      number(date.year % 1000, 3);
    } else if (element == "YY" || element == "RR") {
      number(date.year % 100, 2);
    } else if (element == "Y") {
      number(date.year % 10, 1);
    } else if (element == "CC" || element == "SCC") {
      number((date.year + 99) / 100, 2);
    } else if (element == "Q") {
      number((date.month - 1) / 3 + 1, 1);
    } else if (element == "MM") {
      number(date.month, 2);
    } else if (element == "MON") {
      name(written,
           std::string_view(kMonthNames[static_cast<std::size_t>(date.month - 1)]).substr(0, 3), 3);
    } else if (element == "MONTH") {
      name(written, kMonthNames[static_cast<std::size_t>(date.month - 1)], 9);
    } else if (element == "WW") {
      number((dayOfYear - 1) / 7 + 1, 2);
    } else if (element == "W") {
      number((date.day - 1) / 7 + 1, 1);
    } else if (element == "DDD") {
      number(dayOfYear, 3);
    } else if (element == "DD") {
      number(date.day, 2);
    } else if (element == "D") {
      number(weekday + 1, 1);
    } else if (element == "DAY") {
      name(written, kDayNames[weekday], 9);
    } else if (element == "DY") {
      name(written, std::string_view(kDayNames[weekday]).substr(0, 3), 3);
    } else if (element == "J") {
      number(days + 2440588, 7);
    } else if (element == "HH24") {
      number(date.hour, 2);
    } else if (element == "HH" || element == "HH12") {
      number(date.hour % 12 == 0 ? 12 : date.hour % 12, 2);
    } else if (element == "MI") {
      number(date.minute, 2);
    } else if (element == "SS") {
      number(date.second, 2);
    } else if (element == "SSSSS") {
      number(date.hour * 3600 + date.minute * 60 + date.second, 5);
    } else if (element == "AM" || element == "PM" || element == "A.M." || element == "P.M.") {
      const bool dotted = element.size() == 4;
      name(written, date.hour < 12 ? (dotted ? "A.M." : "AM") : (dotted ? "P.M." : "PM"), 0);
    } else if (element == "X") {
      out += '.';
    } else if (element == "TH") {
      if (!previousNumber) unknown(written);
      out += OrdinalSuffix(*previousNumber, written);
    } else if (element.starts_with("FF")) {
      if (!fraction) unknown(written);
      const std::size_t digits =
          element.size() == 3 ? static_cast<std::size_t>(element[2] - '0') : fraction->size();
      std::string shown(fraction->substr(0, digits));
      shown.resize(digits, '0');
      out += shown;
    } else if (element == "TZH" || element == "TZM" || element == "TZR") {
      if (!fraction) unknown(written);
      const std::string offset = zone.empty() ? "+00:00" : std::string(zone);
      if (element == "TZR")
        out += offset;
      else if (offset.size() == 6 && (offset[0] == '+' || offset[0] == '-'))
        out += element == "TZH" ? offset.substr(0, 3) : offset.substr(4, 2);
      else
        unknown(written);
    } else if (element == "IW") {
      unknown(written);
    } else if (element.size() == 1 && (IsLetter(element[0]) || IsDigit(element[0]))) {
      unknown(written);
    } else {
      out += written;
    }
  }
  return out;
}

std::optional<SourceDate> AddDays(const SourceDate& date, const std::string& days) {
  const std::string seconds = DecimalRound(DecimalMultiply(days, "86400"), 0);
  long long delta = 0;
  auto [end, ec] = std::from_chars(seconds.data(), seconds.data() + seconds.size(), delta);
  if (ec != std::errc() || end != seconds.data() + seconds.size()) return std::nullopt;
  if (delta > 400000000000LL || delta < -400000000000LL) return std::nullopt;
  return DateFromSeconds(SecondsSinceEpoch(date) + delta);
}

std::string DaysBetween(const SourceDate& a, const SourceDate& b) {
  const long long seconds = SecondsSinceEpoch(a) - SecondsSinceEpoch(b);
  return DecimalDivide(std::to_string(seconds), "86400").value_or("0");
}

}  // namespace skerrow::oracle
