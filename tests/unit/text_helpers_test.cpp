#include <gtest/gtest.h>

#include <string>

#include "text/ascii.h"
#include "text/hex.h"
#include "text/utf8.h"

namespace skerrow::text {
namespace {

TEST(TextHelpers, Utf8SequenceLengthTellsWellFormedSequencesFromOthers) {
  struct Case {
    std::string bytes;
    std::size_t length;
  };
  const Case cases[] = {
      {"A", 1},
      {std::string(1, '\0'), 1},
      {"\xC3\xA9", 2},          // é
      {"\xE2\x82\xAC", 3},      // €
      {"\xF0\x9F\x98\x80", 4},  // emoji
      {"\x80", 0},              // stray continuation byte
      {"\xC0\xAF", 0},          // overlong
      {"\xE0\x80\xAF", 0},      // overlong
      {"\xED\xA0\x80", 0},      // UTF-16 surrogate
      {"\xF4\x90\x80\x80", 0},  // beyond U+10FFFF
      {"\xE2\x82", 0},          // cut short
      {"\xFF", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(Utf8SequenceLength(c.bytes, 0), c.length) << c.bytes;
  EXPECT_EQ(Utf8SequenceLength("ab", 2), 0u);
}

TEST(TextHelpers, Utf8LengthPrefixAndAppendAgree) {
  const std::string text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
  EXPECT_TRUE(IsValidUtf8(text));
  EXPECT_FALSE(IsValidUtf8(text + "\xC3"));
  EXPECT_EQ(Utf8Length(text), 4u);
  EXPECT_EQ(Utf8Prefix(text, 2), "a\xC3\xA9");
  EXPECT_EQ(Utf8Prefix(text, 9), text);
  std::string built;
  for (std::uint32_t code : {0x61u, 0xE9u, 0x20ACu, 0x1F600u}) AppendUtf8(built, code);
  EXPECT_EQ(built, text);
}

TEST(TextHelpers, HexRoundTripsEveryByte) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  const std::string hex = HexOfBytes(all);
  EXPECT_EQ(hex.substr(0, 6), "000102");
  EXPECT_EQ(hex.substr(hex.size() - 4), "FEFF");
  EXPECT_EQ(BytesOfHex(hex), all);
  EXPECT_EQ(BytesOfHex("fF0a"), std::string("\xFF\x0A"));
  EXPECT_EQ(BytesOfHex("ABC"), std::string("\x0A\xBC"));  // odd count: a leading 0
  EXPECT_EQ(BytesOfHex(""), std::string());
  EXPECT_FALSE(BytesOfHex("0G").has_value());
  EXPECT_FALSE(BytesOfHex("G").has_value());
}

TEST(TextHelpers, AsciiCaseTrimAndQuoting) {
  EXPECT_EQ(ToUpperAscii("select \xC3\xA9"), "SELECT \xC3\xA9");
  EXPECT_EQ(ToLowerAscii("ABC_d"), "abc_d");
  EXPECT_TRUE(EqualsIgnoringAsciiCase("Data Source", "DATA SOURCE"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("abc", "abcd"));
  EXPECT_EQ(TrimWhiteSpace(" \t\r\n x y \v\f"), "x y");
  EXPECT_EQ(TrimWhiteSpace(" \n "), "");
  EXPECT_EQ(QuoteDoubling("it's", '\''), "'it''s'");
  EXPECT_EQ(QuoteDoubling("a\"b", '"'), "\"a\"\"b\"");
  EXPECT_EQ(QuoteDoubling("", '\''), "''");
}

}  // namespace
}  // namespace skerrow::text
