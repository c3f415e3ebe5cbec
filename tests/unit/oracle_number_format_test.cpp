// TO_CHAR's number format models, as Oracle documents them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "oracle/number_format.h"

namespace skerrow::oracle {
namespace {

TEST(OracleNumberFormats, WriteNumbersAsOracleDoes) {
  struct Case {
    const char* number;
    const char* format;
    const char* text;
  };
  const std::vector<Case> cases = {
      {"12.5", "0999.990", " 0012.500"},
      {"12.5", "9999.99", "   12.50"},
      {"-12.5", "9999.99", "  -12.50"},
      {"1234567.891", "9G999G999D99", " 1,234,567.89"},
      {"1234567.891", "9,999,999.99", " 1,234,567.89"},
      {"1234.5", "99,999", "  1,235"},
      {"-1234.5", "FM9,999.00", "-1,234.50"},
      {"0.25", "FM99.99", ".25"},
      {"0.25", "FM90.99", "0.25"},
      {"13", "FM99.99", "13."},
      {"-70", "FM99.99", "-70."},
      {"2.7", "99.99", "  2.70"},
      {"2.7", "FM99.99", "2.7"},
      {"2.7", "FM99.90", "2.70"},
      {"0", "90.99", "  0.00"},
      {"0", "999", "   0"},
      {"0.5", "99.99", "   .50"},
      {"-0.5", "99.99", "  -.50"},
      {"0.004", "9.99", "  .00"},
      {"123", "99", "###"},
      {"123.4", "FM99.9", "#####"},
      {"99.96", "99.9", "#####"},
      {"-5", "9MI", "5-"},
      {"5", "9MI", "5 "},
      {"5", "S9", "+5"},
      {"-5", "9S", "5-"},
      {"-5", "9PR", "<5>"},
      {"5", "9PR", " 5 "},
      {"12", "$999", "  $12"},
      {"-12", "$999", " -$12"},
      {"0.5", "B9.99", "  .50"},
      {"0", "B999", "    "},
      {"7", "fm0009", "0007"},
  };
  for (const Case& c : cases) {
    std::string error;
    const auto text = FormatNumber(c.number, c.format, error);
    ASSERT_TRUE(text.has_value()) << c.number << " / " << c.format << ": " << error;
    EXPECT_EQ(*text, c.text) << c.number << " / " << c.format;
  }
}

TEST(OracleNumberFormats, RefuseModelsOracleRefuses) {
  for (const char* format : {",999", "9.9.9", "99.9,9", "99A9", "", "FM", "9MI9", "9EEEE"}) {
    std::string error;
    EXPECT_FALSE(FormatNumber("1", format, error).has_value()) << format;
    EXPECT_EQ(error.rfind("ORA-01481", 0), 0u) << format << ": " << error;
  }
}

}  // namespace
}  // namespace skerrow::oracle
