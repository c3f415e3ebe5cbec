#include <gtest/gtest.h>

#include <string>

#include "workflow/destination_database.h"

namespace skerrow {
namespace {

const std::string kUnsupported =
    "The Database name you provided contains unsupported Characters.\n"
    "MySQL database does not support '\"','\\','~','`','*','|','','/',':','','.','<','>','?' "
    "characters in name.";
const std::string kEmpty = "Please enter valid MySQL Destination Database Name.";

std::string TooLong(const std::string& shown) {
  return "MySQL Destination Database Name [" + shown +
         "] is too long.Maximum length is 64 characters.";
}

std::string Repeated(const std::string& piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

struct NameCase {
  const char* label;
  std::string typed;
  std::string name;     // empty: refused
  std::string message;  // the refusal
  MessageIcon icon;
};

class DestinationNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(DestinationNameTest, AppliesTheRules) {
  const NameCase& c = GetParam();
  const DestinationNameCheck check = CheckDestinationName(c.typed);
  if (c.name.empty()) {
    EXPECT_FALSE(check.name.has_value());
    EXPECT_EQ(check.refusal.text, c.message);
    EXPECT_EQ(check.refusal.caption, "Message");
    EXPECT_EQ(check.refusal.icon, c.icon);
    EXPECT_EQ(check.refusal.buttons, MessageButtons::Ok);
    EXPECT_EQ(check.refusal.kind, MessageKind::Notice);
  } else {
    ASSERT_TRUE(check.name.has_value()) << check.refusal.text;
    EXPECT_EQ(*check.name, c.name);
  }
}

NameCase Forbidden(const char* label, std::string typed) {
  return {label, std::move(typed), "", kUnsupported, MessageIcon::Warning};
}

const std::string k64(64, 'a');
// Two bytes each: MySQL counts the characters.
const std::string kE = "\xc3\xa9";
const std::string k64E = Repeated(kE, 64);
// A longer text is shown by its first 64 characters.
const std::string k80 = Repeated("b", 80);
const std::string k10000 = Repeated("c", 9999) + kE;

INSTANTIATE_TEST_SUITE_P(
    Names, DestinationNameTest,
    testing::Values(
        NameCase{"exactly_64", k64, k64, "", MessageIcon::None},
        NameCase{"65", k64 + "a", "", TooLong(k64 + "a"), MessageIcon::None},
        NameCase{"64_and_blank", k64 + " ", "", TooLong(k64 + " "), MessageIcon::None},
        NameCase{"two_byte_letters", std::string(32, 'x') + kE, std::string(32, 'x') + kE, "",
                 MessageIcon::None},
        NameCase{"64_two_byte_letters", k64E, k64E, "", MessageIcon::None},
        NameCase{"65_two_byte_letters", k64E + kE, "", TooLong(k64E + kE), MessageIcon::None},
        NameCase{"64_two_byte_letters_and_blank", k64E + " ", "", TooLong(k64E + " "),
                 MessageIcon::None},
        NameCase{"80_shown_whole", k80, "", TooLong(k80), MessageIcon::None},
        NameCase{"81_shown_cut", k80 + kE, "", TooLong(Repeated("b", 64) + "..."),
                 MessageIcon::None},
        NameCase{"10000_shown_cut", k10000, "", TooLong(Repeated("c", 64) + "..."),
                 MessageIcon::None},
        NameCase{"cut_on_a_character", Repeated(kE, 100), "", TooLong(k64E + "..."),
                 MessageIcon::None},
        NameCase{"blanks_only", "   ", "", kEmpty, MessageIcon::Warning},
        NameCase{"empty", "", "", kEmpty, MessageIcon::Warning},
        NameCase{"trimmed", "  sales  ", "sales", "", MessageIcon::None},
        NameCase{"tab_and_line_breaks_trimmed", "\tsales\r\n", "sales", "", MessageIcon::None},
        NameCase{"inner_blank", "my db", "my db", "", MessageIcon::None},
        Forbidden("double_quote", "a\"b"), Forbidden("backslash", "a\\b"),
        Forbidden("tilde", "a~b"), Forbidden("backtick", "a`b"), Forbidden("asterisk", "a*b"),
        Forbidden("full_stop", "sales.2010"), Forbidden("comma", "my,db"),
        Forbidden("question_mark", "a?b"), Forbidden("greater_than", "a>b"),
        Forbidden("less_than", "a<b"), Forbidden("colon", "a:b"), Forbidden("vertical_bar", "a|b"),
        Forbidden("slash", "a/b")),
    [](const auto& param) { return std::string(param.param.label); });

TEST(DestinationStatementsTest, NameTheDatabaseInBackticks) {
  EXPECT_EQ(ProbeDatabaseStatement("my db"), "use `my db`");
  EXPECT_EQ(CreateDatabaseStatement("shop"),
            "Create database `shop` CHARACTER SET utf8mb4 COLLATE utf8mb4_bin");
  EXPECT_EQ(DropDatabaseStatement("shop"), "Drop database `shop`");
}

}  // namespace
}  // namespace skerrow
