// Oracle's datetime format models as TO_DATE and TO_TIMESTAMP read them, and TO_CHAR writes them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "oracle/sql_datetime.h"

namespace skerrow::oracle {
namespace {

std::string Shown(const ScriptValue& value) {
  std::string shown = value.date.ToString();
  if (!value.fraction.empty()) shown += "." + value.fraction;
  if (!value.zone.empty()) shown += " " + value.zone;
  return shown;
}

TEST(OracleDateFormats, ReadTextWithAFormatModel) {
  struct Case {
    const char* text;
    const char* format;
    bool asDate;
    const char* shown;
  };
  const std::vector<Case> cases = {
      {"2024-02-29", "YYYY-MM-DD", true, "2024-02-29 00:00:00"},
      {"29-FEB-2024", "DD-MON-YYYY", true, "2024-02-29 00:00:00"},
      {"17-jun-03", "DD-MON-RR", true, "2003-06-17 00:00:00"},
      {"17-JUN-87", "DD-MON-RR", true, "1987-06-17 00:00:00"},
      {"17-JUN-87", "DD-MON-YY", true, "2087-06-17 00:00:00"},
      {"March 5, 1999", "Month DD, YYYY", true, "1999-03-05 00:00:00"},
      {"03/15/1999 11:05 PM", "MM/DD/YYYY HH:MI AM", true, "1999-03-15 23:05:00"},
      {"12:00:01 AM", "HH12:MI:SS AM", false, ""},  // the date part is the current month's
      {"2020-05-06 07:08:09.123456", "YYYY-MM-DD HH24:MI:SS.FF", false,
       "2020-05-06 07:08:09.123456"},
      {"2021-01-02 03:04:05.123456789", "YYYY-MM-DD HH24:MI:SS.FF9", false,
       "2021-01-02 03:04:05.123456789"},
      {"06-MAY-20 07.08.09.500000 AM", "DD-MON-RR HH.MI.SSXFF AM", false,
       "2020-05-06 07:08:09.500000"},
      {"2024-01-15 10:00 +02:00", "YYYY-MM-DD HH24:MI TZH:TZM", false,
       "2024-01-15 10:00:00 +02:00"},
      {"86399", "SSSSS", true, ""},
  };
  for (const Case& c : cases) {
    std::string error;
    const auto value = ParseWithFormat(c.text, c.format, c.asDate, error);
    ASSERT_TRUE(value.has_value()) << c.text << " / " << c.format << ": " << error;
    if (*c.shown) {
      EXPECT_EQ(Shown(*value), c.shown) << c.text << " / " << c.format;
    }
  }
}

TEST(OracleDateFormats, RefuseWhatOracleRefuses) {
  struct Case {
    const char* text;
    const char* format;
    const char* code;
  };
  const std::vector<Case> cases = {
      {"2023-02-29", "YYYY-MM-DD", "ORA-01839"},   {"2024-13-01", "YYYY-MM-DD", "ORA-01843"},
      {"2024-01-32", "YYYY-MM-DD", "ORA-01847"},   {"25:00", "HH24:MI", "ORA-01850"},
      {"xx-JAN-2024", "DD-MON-YYYY", "ORA-01858"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(ParseWithFormat(c.text, c.format, true, error).has_value()) << c.text;
    EXPECT_EQ(error.rfind(c.code, 0), 0u) << c.text << " / " << c.format << ": " << error;
  }
}

TEST(OracleDateFormats, WriteDatesWithAFormatModel) {
  const SourceDate date{2024, 2, 9, 13, 5, 7};
  struct Case {
    const char* format;
    const char* text;
  };
  const std::vector<Case> cases = {
      {"DD-MON-RR", "09-FEB-24"},
      {"YYYY-MM-DD HH24:MI:SS", "2024-02-09 13:05:07"},
      {"DD.MM.YYYY HH12:MI AM", "09.02.2024 01:05 PM"},
      // Names in the case of their element, padded to the longest name unless FM says not to.
      {"DAY DY", "FRIDAY    FRI"},
      {"Day Dy day", "Friday    Fri friday   "},
      {"MONTH|Month|month|Mon", "FEBRUARY |February |february |Feb"},
      {"FMMonth DD", "February 9"},
      {"FMMonth FMDD", "February 09"},  // FM is a toggle
      {"fmdd.mm.yy hh:mi am", "9.2.24 1:5 pm"},
      {"DDTH fmDDth", "09TH 9th"},
      {"D DDD J Q WW W CC Y YYY SSSSS", "6 040 2460350 1 06 2 21 4 024 47107"},
      {"YYYY \"T\" HH24", "2024 T 13"},
      {"YYYY-MM-DD;HH24/MI,SS", "2024-02-09;13/05,07"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatDate(date, c.format), c.text) << c.format;
  EXPECT_EQ(FormatDate(SourceDate{2024, 1, 1, 0, 0, 0}, "Dy DDth"), "Mon 01st");
  EXPECT_EQ(FormatDate(SourceDate{2024, 1, 12, 0, 0, 0}, "DDth"), "12th");
  EXPECT_EQ(FormatDateTime(date, "123456", "+05:30", "HH24:MI:SS.FF3 TZH:TZM TZR"),
            "13:05:07.123 +05:30 +05:30");
  EXPECT_EQ(FormatDateTime(date, "5", "", "SS.FF"), "07.5");
  for (const char* unknown : {"YYYY-MM-DDTHH24", "YYYY-FF", "IW", "DD X9", "TH"})
    EXPECT_THROW(FormatDate(date, unknown), std::runtime_error) << unknown;
}

TEST(OracleDateFormats, TimeZonesWithinOraclesRange) {
  struct Case {
    const char* literal;
    const char* shownOrCode;
  };
  const std::vector<Case> cases = {
      {"2024-01-01 10:00:00 +02:00", "2024-01-01 10:00:00 +02:00"},
      {"2024-01-01 10:00:00 -8:00", "2024-01-01 10:00:00 -08:00"},
      {"2024-01-01 10:00:00 +15:00", "2024-01-01 10:00:00 +15:00"},
      {"2024-01-01 10:00:00 Europe/Oslo", "2024-01-01 10:00:00 Europe/Oslo"},
      {"2024-01-01 10:00:00 +99:99", "ORA-01874"},
      {"2024-01-01 10:00:00 +16:00", "ORA-01874"},
      {"2024-01-01 10:00:00 +10:60", "ORA-01875"},
      {"2024-01-01 10:00:00 +1x", "ORA-01857"},
      {"2024-01-01 10:00:00 +123:00", "ORA-01857"},
      {"2024-01-01 10:00:00 Oslo;", "ORA-01882"},
  };
  for (const Case& c : cases) {
    std::string error;
    const auto value = ParseTimestampLiteral(c.literal, error);
    EXPECT_EQ(value ? Shown(*value) : error.substr(0, 9), c.shownOrCode) << c.literal;
  }
}

TEST(OracleDateFormats, DateArithmeticInDays) {
  const SourceDate date{2024, 2, 28, 12, 0, 0};
  EXPECT_EQ(AddDays(date, "1")->ToString(), "2024-02-29 12:00:00");
  EXPECT_EQ(AddDays(date, "0.5")->ToString(), "2024-02-29 00:00:00");
  EXPECT_EQ(AddDays(date, "-59")->ToString(), "2023-12-31 12:00:00");
  EXPECT_EQ(DaysBetween(SourceDate{2024, 3, 1, 0, 0, 0}, SourceDate{2024, 2, 28, 12, 0, 0}), "1.5");
  EXPECT_FALSE(AddDays(SourceDate{9999, 12, 31, 0, 0, 0}, "1").has_value());
}

}  // namespace
}  // namespace skerrow::oracle
