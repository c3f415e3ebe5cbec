#include "transfer/render_value.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/source_error.h"

namespace skerrow {
namespace {

// Stands in for the client library: doubles quotes and backslashes, so the tests see that
// every text passes through the escaper exactly once.
std::string SimpleEscape(std::string_view text) {
  std::string escaped;
  for (char c : text) {
    if (c == '\'' || c == '\\') escaped.push_back(c);
    escaped.push_back(c);
  }
  return escaped;
}

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

}  // namespace
}  // namespace skerrow
