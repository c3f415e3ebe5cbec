#include "transfer/render_value.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "db/source_error.h"
#include "support/simple_escape.h"
#include "transfer/number_literals.h"
#include "transfer/rounded_values.h"

namespace skerrow {
namespace {

using test::SimpleEscape;

std::string Bytes(std::initializer_list<unsigned> values) {
  std::string bytes;
  for (unsigned v : values) bytes.push_back(static_cast<char>(v));
  return bytes;
}

struct RenderCase {
  const char* what;
  std::string columnType;
  Variant value;
  std::string rendered;
};

TEST(RenderValueTest, RendersEveryKindSoTheSourceValueCanBeRecovered) {
  const std::string grinning = "\xF0\x9F\x98\x80";  // U+1F600, four bytes in UTF-8
  const std::vector<RenderCase> cases = {
      // Text keeps every character, in every column.
      {"apostrophe stays", "VARCHAR2", Variant::FromText("it's"), "'it''s'"},
      {"blanks around stay", "VARCHAR2", Variant::FromText("  two words  "), "'  two words  '"},
      {"question mark stays", "VARCHAR2", Variant::FromText("Why?"), "'Why?'"},
      {"only question marks", "VARCHAR2",
       Variant::FromText("?"
                         "?"
                         "?"),
       "'?"
       "?"
       "?'"},
      {"blanks only stay text", "VARCHAR2", Variant::FromText("   "), "'   '"},
      {"comma in CHAR", "CHAR", Variant::FromText("a,b"), "'a,b'"},
      {"comma in untyped column", "", Variant::FromText("a,b"), "'a,b'"},
      {"comma in NCHAR", "NCHAR", Variant::FromText("a,b"), "'a,b'"},
      {"xml text in untyped column", "", Variant::FromText("<?xml?><a/>"), "'<?xml?><a/>'"},
      {"backslash escaped once", "", Variant::FromText("dir/sub\\file"), "'dir/sub\\\\file'"},
      {"CLOB text", "", Variant::FromText("line one\nline two\t!"), "'line one\nline two\t!'"},
      {"four-byte UTF-8 text", "VARCHAR2", Variant::FromText("smile " + grinning),
       "'smile " + grinning + "'"},
      {"empty text", "VARCHAR2", Variant::FromText(""), "null"},
      // Null and empty.
      {"null", "VARCHAR2", Variant::Null(), "null"},
      {"empty", "", Variant(), "null"},
      // Decimals: exact and unquoted, whatever the column.
      {"decimal", "", Variant::FromDecimal("1234.5"), "1234.5"},
      {"negative decimal", "", Variant::FromDecimal("-7"), "-7"},
      {"decimal in VARCHAR2 column", "VARCHAR2", Variant::FromDecimal("0.001"), "0.001"},
      {"decimal in CHAR column", "CHAR", Variant::FromDecimal("42"), "42"},
      {"long decimal", "", Variant::FromDecimal("12345678901234567890123456789012345678"),
       "12345678901234567890123456789012345678"},
      // Doubles and dates are quoted.
      {"double", "", Variant::FromDouble(2.5), "'2.500000'"},
      {"negative double", "", Variant::FromDouble(-0.25), "'-0.250000'"},
      {"date", "", Variant::FromDate({2009, 7, 4, 8, 5, 0}), "'2009-07-04 08:05:00'"},
      {"date before 1000", "", Variant::FromDate({812, 12, 25, 23, 59, 59}),
       "'0812-12-25 23:59:59'"},
      {"date before year 1", "", Variant::FromDate({-44, 3, 15, 0, 0, 0}), "'Invalid DateTime'"},
      {"impossible day", "", Variant::FromDate({2023, 2, 29, 0, 0, 0}), "'Invalid DateTime'"},
      // Byte arrays: UTF-8 text stays text, other bytes become hex digits.
      {"bytes 01 FF", "", Variant::FromBytes(Bytes({0x01, 0xFF})), "'01FF'"},
      {"bytes below 16", "", Variant::FromBytes(Bytes({0x0A, 0x01, 0xFF})), "'0A01FF'"},
      {"byte 00", "", Variant::FromBytes(Bytes({0x00})), "'00'"},
      {"byte FF", "", Variant::FromBytes(Bytes({0xFF})), "'FF'"},
      {"zero byte inside text", "", Variant::FromBytes(Bytes({'a', 0x00, 'b'})), "'610062'"},
      {"plain text bytes", "", Variant::FromBytes("ABC 12"), "'ABC 12'"},
      {"slash in text bytes", "", Variant::FromBytes("a/b"), "'a/b'"},
      {"blanks around text bytes", "", Variant::FromBytes(" x "), "' x '"},
      {"latin-1 byte is not UTF-8", "", Variant::FromBytes("caf\xE9"), "'636166E9'"},
      {"UTF-8 text bytes", "", Variant::FromBytes("caf\xC3\xA9"), "'caf\xC3\xA9'"},
      {"four-byte UTF-8 bytes", "", Variant::FromBytes(grinning), "'" + grinning + "'"},
      {"xml bytes keep apostrophes", "", Variant::FromBytes("<?xml version='1.0'?><r/>"),
       "'<?xml version=''1.0''?><r/>'"},
      {"hex text of a RAW", "", Variant::FromBytes("DEADBEEF"), "'DEADBEEF'"},
      {"overlong encoding", "", Variant::FromBytes(Bytes({0xC0, 0x80})), "'C080'"},
      {"UTF-16 surrogate", "", Variant::FromBytes(Bytes({0xED, 0xA0, 0x80})), "'EDA080'"},
      {"cut-off sequence", "", Variant::FromBytes(Bytes({'x', 0xE2, 0x82})), "'78E282'"},
      {"beyond U+10FFFF", "", Variant::FromBytes(Bytes({0xF4, 0x90, 0x80, 0x80})), "'F4908080'"},
      {"empty bytes", "", Variant::FromBytes(""), "null"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(RenderValue(c.value, c.columnType, SimpleEscape), c.rendered) << c.what;
}

TEST(RenderValueTest, ADecimalThatIsNotANumberRaisesASourceError) {
  for (const char* text : {"", "abc", "1;drop table t", "--1"}) {
    try {
      RenderValue(Variant::FromDecimal(text), "", SimpleEscape);
      ADD_FAILURE() << "no error for \"" << text << "\"";
    } catch (const SourceError& error) {
      ASSERT_TRUE(error.Description()) << text;
      EXPECT_NE(error.Description()->find("not a number"), std::string::npos) << text;
    }
  }
}

std::string Digits(const std::string& head, std::size_t zeros, const std::string& tail = "") {
  return head + std::string(zeros, '0') + tail;
}

// MySQL reads a DECIMAL literal exactly up to 65 digits, 30 after the point; beyond that it
// clamps (1e100 became 1e65) or cuts (1e-100 became 0), so such a value goes in exponent form.
TEST(DecimalLiteralTest, LongDecimalsTakeTheExponentForm) {
  const struct {
    std::string canonical;
    std::string literal;
  } cases[] = {
      {"0", "0"},
      {"-12.5", "-12.5"},
      {"12345678901234567890123456789012345678", "12345678901234567890123456789012345678"},
      {Digits("1", 64), Digits("1", 64)},  // 65 digits
      {Digits("1", 65), "1E+65"},          // 66 digits
      {Digits("1", 100), "1E+100"},
      {Digits("-12", 99), "-1.2E+100"},
      {Digits("0.", 29, "1"), Digits("0.", 29, "1")},  // 30 digits after the point
      {Digits("0.", 30, "1"), "1E-31"},
      {Digits("0.", 99, "1"), "1E-100"},
      {Digits("-0.", 39, "15"), "-1.5E-40"},
      {Digits("123.", 40, "1"), "1.23" + std::string(40, '0') + "1E+2"},
  };
  for (const auto& c : cases) EXPECT_EQ(DecimalLiteral(c.canonical), c.literal) << c.canonical;
}

struct ColumnValueCase {
  const char* what;
  ValueForm form;
  Variant value;
  std::string rendered;
  std::optional<std::string> storedAs;
  bool refused;
};

// Each column form, with what MySQL then holds: every bit of a binary float, every byte of a
// BLOB, an empty LOB as empty; a value DOUBLE cannot hold is written and reported, a value
// MySQL cannot store at all refuses its row.
TEST(RenderValueTest, EveryColumnFormKeepsItsValuesExactOrSaysWhy) {
  using enum ValueForm;
  const auto bytes = [](const std::string& text) { return Variant::FromBytes(text); };
  const std::vector<ColumnValueCase> cases = {
      {"exact in DOUBLE", ApproximateNumber, Variant::FromDecimal("0.1"), "0.1", std::nullopt,
       false},
      {"15 digits", ApproximateNumber, Variant::FromDecimal("-123456789012.345"),
       "-123456789012.345", std::nullopt, false},
      {"2^53 + 1", ApproximateNumber, Variant::FromDecimal("9007199254740993"), "9007199254740993",
       "9007199254740992", false},
      {"19 digits", ApproximateNumber, Variant::FromDecimal("1234567890123456789"),
       "1234567890123456789", "1234567890123456768", false},
      {"38 digits", ApproximateNumber,
       Variant::FromDecimal("12345678901234567890123456789012345678"),
       "12345678901234567890123456789012345678", "1.2345678901234568e+37", false},
      {"1e100", ApproximateNumber, Variant::FromDecimal(Digits("1", 100)), "1E+100", std::nullopt,
       false},
      {"1e-100", ApproximateNumber, Variant::FromDecimal(Digits("0.", 99, "1")), "1E-100",
       std::nullopt, false},
      {"text in a NUMBER type", ApproximateNumber, Variant::FromText("x"), "'x'", std::nullopt,
       false},
      {"null number", ApproximateNumber, Variant::Null(), "null", std::nullopt, false},
      {"exact column, long decimal", Default, Variant::FromDecimal(Digits("1", 100)), "1E+100",
       std::nullopt, false},
      {"pi", BinaryDouble, bytes("3.141592653589793E+000"), "3.141592653589793", std::nullopt,
       false},
      {"pi in 17 digits", BinaryDouble, bytes("3.1415926535897931E+000"), "3.141592653589793",
       std::nullopt, false},
      {"1e100 double", BinaryDouble, bytes("1.0E+100"), "1e+100", std::nullopt, false},
      {"negative tiny", BinaryDouble, bytes("-4.9406564584124654E-324"), "-5e-324", std::nullopt,
       false},
      {"zero", BinaryDouble, bytes("0"), "0", std::nullopt, false},
      {"a double value", BinaryDouble, Variant::FromDouble(-2.25), "-2.25", std::nullopt, false},
      {"Inf", BinaryDouble, bytes("Inf"), "null", std::nullopt, true},
      {"-Inf", BinaryDouble, bytes("-Inf"), "null", std::nullopt, true},
      {"NaN", BinaryDouble, bytes("Nan"), "null", std::nullopt, true},
      {"infinite double", BinaryDouble, Variant::FromDouble(-HUGE_VAL), "null", std::nullopt, true},
      {"not a number", BinaryDouble, bytes("1.5E+000; drop"), "null", std::nullopt, true},
      {"null binary double", BinaryDouble, Variant::Null(), "null", std::nullopt, false},
      {"largest float", BinaryFloat, bytes("3.40282347E+038"), "3.4028234663852886e+38",
       std::nullopt, false},
      {"float 1.1 in 9 digits", BinaryFloat, bytes("1.10000002E+000"), "1.100000023841858",
       std::nullopt, false},
      {"float 1.1 shortest", BinaryFloat, bytes("1.1E+000"), "1.100000023841858", std::nullopt,
       false},
      {"float Inf", BinaryFloat, bytes("-Inf"), "null", std::nullopt, true},
      {"byte 00", Binary, bytes(Bytes({0x00})), "X'00'", std::nullopt, false},
      {"bytes of the text 00", Binary, bytes("00"), "X'3030'", std::nullopt, false},
      {"bytes FF 00", Binary, bytes(Bytes({0xFF, 0x00})), "X'FF00'", std::nullopt, false},
      {"JSON in a BLOB", Binary, bytes("{\"a\":1}"), "X'7B2261223A317D'", std::nullopt, false},
      {"empty BLOB", Binary, bytes(""), "X''", std::nullopt, false},
      {"null BLOB", Binary, Variant::Null(), "null", std::nullopt, false},
      {"empty CLOB", LobText, Variant::FromText(""), "''", std::nullopt, false},
      {"CLOB text", LobText, Variant::FromText("it's"), "'it''s'", std::nullopt, false},
      {"null CLOB", LobText, Variant::Null(), "null", std::nullopt, false},
      {"empty text elsewhere", Default, Variant::FromText(""), "null", std::nullopt, false},
  };
  for (const auto& c : cases) {
    const RenderedValue rendered = RenderColumnValue(c.value, c.form, "", SimpleEscape);
    EXPECT_EQ(rendered.text, c.rendered) << c.what;
    EXPECT_EQ(rendered.storedAs, c.storedAs) << c.what;
    EXPECT_EQ(rendered.refusal.has_value(), c.refused) << c.what;
  }
}

// The report counts every rounded value per column and keeps the first ones.
TEST(RoundedValuesTest, CountsPerColumnAndKeepsTheFirstValues) {
  RoundedValues rounded;
  for (int row = 1; row <= 12; ++row)
    rounded.Add({row % 3 == 0 ? "B" : "A", row, std::to_string(row), "x"});
  EXPECT_EQ(rounded.count, 12);
  EXPECT_EQ(rounded.columns, (std::vector<RoundedValues::ColumnCount>{{"A", 8}, {"B", 4}}));
  ASSERT_EQ(rounded.examples.size(), RoundedValues::kMaxExamples);
  EXPECT_EQ(rounded.examples.front().row, 1);
  EXPECT_EQ(rounded.examples.back().row, 10);
}

}  // namespace
}  // namespace skerrow
