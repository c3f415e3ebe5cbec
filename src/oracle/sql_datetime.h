#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "oracle/sql_value.h"

namespace skerrow::oracle {

// The session's default format for dates converted from and to text.
inline constexpr std::string_view kDefaultDateFormat = "DD-MON-RR";

// Reads `text` with an Oracle datetime format model (YYYY, RRRR, YY, RR, MM, MON, MONTH, DD,
// DY, DAY, HH24, HH12, HH, MI, SS, SSSSS, AM/PM, FF[n], TZH, TZM, punctuation and "quoted
// text"), as TO_DATE and TO_TIMESTAMP do. Fields the format leaves out take Oracle's defaults
// (current year and month, day 1, midnight). Returns a Timestamp value (a Date when
// `asDate`), or nullopt with `error` set to the ORA- text.
std::optional<ScriptValue> ParseWithFormat(std::string_view text, std::string_view format,
                                           bool asDate, std::string& error);

// ANSI literals: DATE 'YYYY-MM-DD' and TIMESTAMP 'YYYY-MM-DD HH24:MI:SS[.FF] [+HH:MM]'.
std::optional<ScriptValue> ParseDateLiteral(std::string_view text, std::string& error);
std::optional<ScriptValue> ParseTimestampLiteral(std::string_view text, std::string& error);

// Writes a date with a format model, as TO_CHAR does: the elements ParseWithFormat reads and
// D, DDD, J, Q, CC, WW, W; names (MONTH, MON, DAY, DY, AM) in the case their element is
// written in (Month gives January) and padded to the longest name; FM, a toggle, for no padding
// and no leading zeros; TH after a number. Throws std::runtime_error with ORA-01821 for a letter
// that is no element.
std::string FormatDate(const SourceDate& date, std::string_view format);
// The same for a timestamp: FF[1-9] write `fraction`'s digits, TZH, TZM and TZR its `zone`
// (+00:00 when it has none). Without a fraction (a DATE) those elements are ORA-01821.
std::string FormatDateTime(const SourceDate& date, std::optional<std::string_view> fraction,
                           std::string_view zone, std::string_view format);

// The date `days` (a decimal, fractions are parts of a day) after `date`; nullopt when the
// result leaves the years 1 to 9999.
std::optional<SourceDate> AddDays(const SourceDate& date, const std::string& days);
// date a - date b in days, as a decimal.
std::string DaysBetween(const SourceDate& a, const SourceDate& b);

// The Gregorian calendar's leap years and month lengths (`month` 1 to 12).
bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

// The local date and time now, in whole seconds (SYSDATE).
SourceDate CurrentDate();

}  // namespace skerrow::oracle
