#include "db/source_error.h"

#include <gtest/gtest.h>

namespace skerrow {
namespace {

TEST(SourceErrorTest, FormatsAllFourPartsWithNullForAbsentOnes) {
  struct Case {
    std::optional<std::string> source;
    std::int32_t code;
    std::optional<std::string> description;
    std::string expected;
  };
  const Case cases[] = {
      {std::nullopt, kCodeUnspecifiedError, std::nullopt,
       "\n(null) Error: -2147467259\r\n(null)\r\nUnspecified error\r\n"},
      {std::nullopt, kCodeInvalidPointer, std::nullopt,
       "\n(null) Error: -2147467261\r\n(null)\r\nInvalid pointer\r\n"},
      {"Provider", kCodeUnspecifiedError, "ORA-01017: invalid username/password; logon denied",
       "\nProvider Error: -2147467259\r\nORA-01017: invalid username/password; logon "
       "denied\r\nUnspecified error\r\n"},
  };
  for (const auto& c : cases) {
    SourceError error(c.source, c.code, c.description);
    EXPECT_EQ(FormatSourceError(error), c.expected);
    EXPECT_STREQ(error.what(), c.expected.c_str());
  }
}

TEST(SourceErrorTest, SystemMessageFallbacks) {
  struct Case {
    std::uint32_t code;
    const char* expected;
  };
  const Case cases[] = {
      {0x80004005u, "Unspecified error"},        {0x80040201u, "IDispatch error #1"},
      {0x80040E14u, "IDispatch error #3092"},    {0x8004FFFFu, "IDispatch error #65023"},
      {0x80040200u, "Unknown error 0x80040200"}, {0x800A0BCDu, "Unknown error 0x800A0BCD"},
      {0x00000001u, "Unknown error 0x1"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SystemMessageForCode(static_cast<std::int32_t>(c.code)), c.expected) << c.code;
}

}  // namespace
}  // namespace skerrow
