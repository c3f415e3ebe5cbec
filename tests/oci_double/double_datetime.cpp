// Timestamps as a session shows them: ALTER SESSION settings, the datetime format elements of
// Oracle's default formats and of the provider's own, and the session time zone that TIMESTAMP
// WITH LOCAL TIME ZONE values are shown in.

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "double_handles.h"
#include "oracle/sql_datetime.h"
#include "text/ascii.h"

namespace skerrow::ocidouble {

namespace {

// Oracle's defaults for a session that sets nothing (language AMERICAN).
constexpr const char* kDefaultTimestampFormat = "DD-MON-RR HH.MI.SSXFF AM";
constexpr const char* kDefaultTimestampTzFormat = "DD-MON-RR HH.MI.SSXFF AM TZR";
// The time zone of the double's client machine: a session that does not set its own sees
// LOCAL TIME ZONE values here, two hours ahead of the UTC the instance holds them in.
constexpr int kClientZoneMinutes = 120;

constexpr const char* kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                   "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

struct Timestamp {
  long year = 1;
  int month = 1, day = 1, hour = 0, minute = 0, second = 0;
  std::string fraction;            // the stored digits
  std::optional<int> zoneMinutes;  // of a WITH TIME ZONE value
};

// `minutes` as the decimal number of days oracle::AddDays takes (it rounds to whole seconds, so
// twenty decimals are exact enough).
std::string MinutesAsDays(int minutes) {
  const long magnitude = minutes < 0 ? -static_cast<long>(minutes) : minutes;
  std::string days = std::string(minutes < 0 ? "-" : "") + std::to_string(magnitude / 1440) + ".";
  for (long rest = magnitude % 1440, i = 0; i < 20; ++i, rest %= 1440) {
    rest *= 10;
    days += static_cast<char>('0' + rest / 1440);
  }
  return days;
}

bool Shift(Timestamp& t, int minutes) {
  SourceDate date;
  date.year = static_cast<std::int16_t>(t.year);
  date.month = static_cast<std::int8_t>(t.month);
  date.day = static_cast<std::int8_t>(t.day);
  date.hour = static_cast<std::int8_t>(t.hour);
  date.minute = static_cast<std::int8_t>(t.minute);
  date.second = static_cast<std::int8_t>(t.second);
  const auto shifted = oracle::AddDays(date, MinutesAsDays(minutes));
  if (!shifted) return false;
  t.year = shifted->year;
  t.month = shifted->month;
  t.day = shifted->day;
  t.hour = shifted->hour;
  t.minute = shifted->minute;
  t.second = shifted->second;
  return true;
}

// "+05:30" -> 330.
std::optional<int> OffsetMinutes(std::string_view text) {
  if (text.size() != 6 || (text[0] != '+' && text[0] != '-') || text[3] != ':') return std::nullopt;
  for (std::size_t i : {1u, 2u, 4u, 5u})
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
  const int minutes =
      ((text[1] - '0') * 10 + (text[2] - '0')) * 60 + (text[4] - '0') * 10 + (text[5] - '0');
  return text[0] == '-' ? -minutes : minutes;
}

// The stored form: "YYYY-MM-DD HH:MM:SS[.digits][ +HH:MM]".
std::optional<Timestamp> ParseStored(const std::string& text) {
  Timestamp t;
  int consumed = 0;
  if (std::sscanf(text.c_str(), "%ld-%d-%d %d:%d:%d%n", &t.year, &t.month, &t.day, &t.hour,
                  &t.minute, &t.second, &consumed) != 6)
    return std::nullopt;
  std::size_t at = static_cast<std::size_t>(consumed);
  if (at < text.size() && text[at] == '.') {
    ++at;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])))
      t.fraction += text[at++];
  }
  if (at < text.size() && text[at] == ' ') {
    t.zoneMinutes = OffsetMinutes(std::string_view(text).substr(at + 1));
    if (!t.zoneMinutes) return std::nullopt;
  }
  return t;
}

std::string TwoDigits(long value) {
  std::string digits = std::to_string(value);
  return digits.size() < 2 ? "0" + digits : digits;
}

std::string ZoneText(int minutes) {
  const int magnitude = minutes < 0 ? -minutes : minutes;
  return std::string(minutes < 0 ? "-" : "+") + TwoDigits(magnitude / 60) + ":" +
         TwoDigits(magnitude % 60);
}

bool Fails(std::string& message, const char* text) {
  message = text;
  return false;
}

// Writes `t` in `format`; false (ORA-01821) for an element the double does not know.
bool Render(const Timestamp& t, const std::string& format, std::string& out, std::string& message) {
  const std::string upper = text::ToUpperAscii(format);
  const auto at = [&](std::size_t i, std::string_view word) {
    return std::string_view(upper).substr(i, word.size()) == word;
  };
  const int zone = t.zoneMinutes.value_or(0);
  for (std::size_t i = 0; i < upper.size();) {
    const char c = upper[i];
    if (c == '"') {
      const auto end = format.find('"', i + 1);
      if (end == std::string::npos) return Fails(message, "ORA-01821: date format not recognized");
      out.append(format, i + 1, end - i - 1);
      i = end + 1;
    } else if (std::string_view(" -/,.;:").find(c) != std::string_view::npos) {
      out += format[i++];
    } else if (at(i, "YYYY")) {
      out += std::to_string(t.year < 0 ? -t.year : t.year), i += 4;
    } else if (at(i, "HH24")) {
      out += TwoDigits(t.hour), i += 4;
    } else if (at(i, "HH12") || at(i, "HH")) {
      out += TwoDigits(t.hour % 12 == 0 ? 12 : t.hour % 12), i += at(i, "HH12") ? 4 : 2;
    } else if (at(i, "MON")) {
      out += kMonths[(t.month - 1) % 12], i += 3;
    } else if (at(i, "MM")) {
      out += TwoDigits(t.month), i += 2;
    } else if (at(i, "MI")) {
      out += TwoDigits(t.minute), i += 2;
    } else if (at(i, "RR") || at(i, "YY")) {
      out += TwoDigits((t.year < 0 ? -t.year : t.year) % 100), i += 2;
    } else if (at(i, "DD")) {
      out += TwoDigits(t.day), i += 2;
    } else if (at(i, "SS")) {
      out += TwoDigits(t.second), i += 2;
    } else if (at(i, "FF")) {
      i += 2;
      // FF1 to FF9 give that many digits; FF alone the column's own precision.
      std::string digits = t.fraction;
      if (i < upper.size() && upper[i] >= '1' && upper[i] <= '9')
        digits.resize(static_cast<std::size_t>(upper[i++] - '0'), '0');
      // A fraction of no digits (precision 0) is written without its radix character.
      if (digits.empty() && !out.empty() && (out.back() == '.' || out.back() == ','))
        out.pop_back();
      out += digits;
    } else if (c == 'X') {
      out += '.', ++i;
    } else if (at(i, "AM") || at(i, "PM")) {
      out += t.hour < 12 ? "AM" : "PM", i += 2;
    } else if (at(i, "TZH")) {
      out += ZoneText(zone).substr(0, 3), i += 3;
    } else if (at(i, "TZM")) {
      out += ZoneText(zone).substr(4), i += 3;
    } else if (at(i, "TZR")) {
      out += ZoneText(zone), i += 3;
    } else {
      return Fails(message, "ORA-01821: date format not recognized");
    }
  }
  return true;
}

std::string Setting(const std::map<std::string, std::string>& settings, const char* name,
                    const char* fallback) {
  const auto found = settings.find(name);
  return found == settings.end() ? fallback : found->second;
}

// Minutes east of UTC of the session's time zone; nullopt (ORA-01882) for a region the double
// does not know.
std::optional<int> SessionZoneMinutes(const std::map<std::string, std::string>& settings) {
  const auto found = settings.find("TIME_ZONE");
  if (found == settings.end()) return kClientZoneMinutes;
  const std::string zone = text::ToUpperAscii(found->second);
  if (zone == "LOCAL") return kClientZoneMinutes;
  if (zone == "DBTIMEZONE" || zone == "UTC" || zone == "GMT" || zone == "ETC/UTC") return 0;
  return OffsetMinutes(zone);
}

}  // namespace

bool ApplyAlterSession(const std::string& sql, std::map<std::string, std::string>& settings,
                       std::string& message) {
  std::size_t at = 0;
  const auto skipBlanks = [&] {
    while (at < sql.size() && std::isspace(static_cast<unsigned char>(sql[at]))) ++at;
  };
  const auto word = [&] {
    skipBlanks();
    std::string w;
    while (at < sql.size() && (std::isalnum(static_cast<unsigned char>(sql[at])) ||
                               sql[at] == '_' || sql[at] == '$' || sql[at] == '#'))
      w += text::UpperAscii(sql[at++]);
    return w;
  };
  if (word() != "ALTER" || word() != "SESSION" || word() != "SET")
    return Fails(message, "ORA-00922: missing or invalid option");
  std::map<std::string, std::string> given;
  for (skipBlanks(); at < sql.size() && sql[at] != ';'; skipBlanks()) {
    const std::string name = word();
    skipBlanks();
    if (name.empty() || at >= sql.size() || sql[at] != '=')
      return Fails(message, "ORA-00922: missing or invalid option");
    ++at;
    skipBlanks();
    std::string value;
    if (at < sql.size() && sql[at] == '\'') {
      for (++at;; ++at) {
        if (at >= sql.size())
          return Fails(message, "ORA-01756: quoted string not properly terminated");
        if (sql[at] == '\'') {
          if (at + 1 < sql.size() && sql[at + 1] == '\'') {
            value += '\'';
            ++at;
            continue;
          }
          ++at;
          break;
        }
        value += sql[at];
      }
    } else {
      value = word();
    }
    given[name] = value;
  }
  // Oracle checks the formats and the zone when they are set.
  std::map<std::string, std::string> merged = settings;
  for (const auto& [name, value] : given) merged[name] = value;
  Timestamp sample;
  sample.zoneMinutes = 0;
  std::string ignored;
  if (!Render(sample, Setting(merged, "NLS_TIMESTAMP_FORMAT", kDefaultTimestampFormat), ignored,
              message) ||
      !Render(sample, Setting(merged, "NLS_TIMESTAMP_TZ_FORMAT", kDefaultTimestampTzFormat),
              ignored, message))
    return false;
  if (!SessionZoneMinutes(merged)) return Fails(message, "ORA-01882: timezone region not found");
  settings = std::move(merged);
  return true;
}

bool ShowTimestamp(const std::string& stored, const TimestampColumn& column,
                   const std::map<std::string, std::string>& settings, std::string& shown,
                   std::string& message) {
  auto t = ParseStored(stored);
  if (!t)
    return Fails(message,
                 "ORA-01830: date format picture ends before converting entire input string");
  if (column.zone == TimestampColumn::Zone::Local) {
    // Held in UTC; shown in the session's time zone.
    const auto zone = SessionZoneMinutes(settings);
    if (!zone) return Fails(message, "ORA-01882: timezone region not found");
    if (!Shift(*t, *zone))
      return Fails(message, "ORA-01841: (full) year must be between -4713 and +9999, and not be 0");
    t->zoneMinutes.reset();
  }
  t->fraction.resize(static_cast<std::size_t>(column.precision), '0');
  const bool ownZone = column.zone == TimestampColumn::Zone::Own;
  shown.clear();
  return Render(*t,
                ownZone ? Setting(settings, "NLS_TIMESTAMP_TZ_FORMAT", kDefaultTimestampTzFormat)
                        : Setting(settings, "NLS_TIMESTAMP_FORMAT", kDefaultTimestampFormat),
                shown, message);
}

}  // namespace skerrow::ocidouble
