// Exact decimal arithmetic as Oracle NUMBER computes it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "oracle/sql_decimal.h"

namespace skerrow::oracle {
namespace {

TEST(OracleDecimals, ArithmeticIsExact) {
  struct Case {
    char op;
    const char* a;
    const char* b;
    const char* result;
  };
  const std::vector<Case> cases = {
      {'+', "0.1", "0.2", "0.3"},
      {'+', "99999999999999999999999999999999999999", "1",
       "100000000000000000000000000000000000000"},
      {'+', "-1.5", "1.5", "0"},
      {'-', "1", "1.001", "-0.001"},
      {'-', "-2", "-3", "1"},
      {'*', "1.25", "-4", "-5"},
      {'*', "123456789.123", "1000", "123456789123"},
      {'/', "1", "4", "0.25"},
      {'/', "10", "-4", "-2.5"},
      {'/', "2", "3", "0.6666666666666666666666666666666666666667"},
      {'+', "1.50", "0", "1.5"},
      {'*', "0.10", "10", "1"},
      {'+', "-0.5", "0.5", "0"},
      {'/', "1", "1000000000000000000000", "0.000000000000000000001"},
  };
  for (const Case& c : cases) {
    std::string result;
    switch (c.op) {
      case '+':
        result = DecimalAdd(c.a, c.b);
        break;
      case '-':
        result = DecimalSubtract(c.a, c.b);
        break;
      case '*':
        result = DecimalMultiply(c.a, c.b);
        break;
      default:
        result = DecimalDivide(c.a, c.b).value_or("division by zero");
    }
    EXPECT_EQ(result, c.result) << c.a << " " << c.op << " " << c.b;
  }
  EXPECT_FALSE(DecimalDivide("1", "0").has_value());
}

TEST(OracleDecimals, RoundHalfAwayFromZero) {
  struct Case {
    const char* value;
    int scale;
    const char* rounded;
  };
  const std::vector<Case> cases = {
      {"12.5", 0, "13"}, {"-12.5", 0, "-13"},  {"7.25", 1, "7.3"}, {"7.24", 1, "7.2"},
      {"0.006", 1, "0"}, {"0.06", 1, "0.1"},   {"9.99", 1, "10"},  {"125", -1, "130"},
      {"50", -2, "100"}, {"49", -2, "0"},      {"4", -2, "0"},     {"999", -3, "1000"},
      {"1.5", 3, "1.5"}, {"-0.05", 1, "-0.1"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DecimalRound(c.value, c.scale), c.rounded) << c.value << " to " << c.scale;
  EXPECT_EQ(DecimalRoundSignificant("123.456", 4), "123.5");
  EXPECT_EQ(DecimalIntegerDigits("0.5"), 0);
  EXPECT_EQ(DecimalIntegerDigits("-12.5"), 2);
  EXPECT_EQ(DecimalNegate("-3.5"), "3.5");
}

TEST(OracleDecimals, ResultsHaveNumbersPrecision) {
  struct Case {
    std::string value;
    const char* number;
  };
  // 20 base-100 digits: 40 decimal ones, 39 when the leading base-100 digit has one.
  const std::vector<Case> cases = {
      {"0.33333333333333333333333333333333333333333333",
       "0.3333333333333333333333333333333333333333"},
      {"3.33333333333333333333333333333333333333333333",
       "3.33333333333333333333333333333333333333"},
      {"12.3456789012345678901234567890123456789012", "12.3456789012345678901234567890123456789"},
      {"123456789012345678901234567890123456789012345",
       "123456789012345678901234567890123456789000000"},
      {"-0.0333333333333333333333333333333333333333333",
       "-0.0333333333333333333333333333333333333333"},
      {"1.5", "1.5"},
      {"0", "0"},
      {"0." + std::string(130, '0') + "1", "0"},
  };
  for (const Case& c : cases) EXPECT_EQ(DecimalToNumberPrecision(c.value), c.number) << c.value;
  EXPECT_FALSE(DecimalOverflowsNumber("9" + std::string(125, '9')));
  EXPECT_TRUE(DecimalOverflowsNumber("1" + std::string(126, '0')));
  EXPECT_TRUE(DecimalOverflowsNumber("-1" + std::string(126, '0') + ".5"));
}

TEST(OracleDecimals, DivisionOfLongOperandsIsBounded) {
  // Operands of 30,000 digits are the NUMBERs they stand for: the quotient comes at once.
  const std::string third = "0." + std::string(30000, '3');
  const std::string ninth = "0." + std::string(30000, '1');
  EXPECT_EQ(DecimalDivide(third, ninth).value_or(""), "3");
  const std::string big = "1" + std::string(29999, '7');
  EXPECT_EQ(DecimalDivide(big, big).value_or(""), "1");
  EXPECT_EQ(DecimalDivide("10", "3").value_or(""), "3.33333333333333333333333333333333333333");
}

}  // namespace
}  // namespace skerrow::oracle
