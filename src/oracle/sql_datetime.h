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

// Writes a date with a format model (for dates put into text columns).
std::string FormatDate(const SourceDate& date, std::string_view format);

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
