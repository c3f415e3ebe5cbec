#include "db/variant.h"

#include <gtest/gtest.h>

namespace skerrow {
namespace {

TEST(VariantTest, KindsCarryTheirTags) {
  EXPECT_EQ(static_cast<int>(Variant().Kind()), 0);
  EXPECT_EQ(static_cast<int>(Variant::Null().Kind()), 1);
  EXPECT_EQ(static_cast<int>(Variant::FromDouble(1).Kind()), 5);
  EXPECT_EQ(static_cast<int>(Variant::FromDate({}).Kind()), 7);
  EXPECT_EQ(static_cast<int>(Variant::FromText("x").Kind()), 8);
  EXPECT_EQ(static_cast<int>(Variant::FromDecimal("1").Kind()), 14);
  EXPECT_EQ(static_cast<int>(Variant::FromBytes("x").Kind()), 0x2011);
}

TEST(VariantTest, ConversionToText) {
  EXPECT_FALSE(Variant::Null().ToText());
  EXPECT_EQ(Variant().ToText(), "");
  EXPECT_EQ(Variant::FromText("it's").ToText(), "it's");
  EXPECT_EQ(Variant::FromDecimal("-12.5").ToText(), "-12.5");
  EXPECT_EQ(Variant::FromDouble(22).ToText(), "22");
  EXPECT_EQ(Variant::FromDouble(0.1).ToText(), "0.1");
  EXPECT_EQ(Variant::FromDate({2009, 7, 4, 8, 5, 0}).ToText(), "2009-07-04 08:05:00");
  EXPECT_FALSE(Variant::FromDate({-44, 3, 15, 0, 0, 0}).ToText());
  EXPECT_EQ(Variant::FromBytes(std::string("\x00\xff", 2)).ToText(), std::string("\x00\xff", 2));
}

TEST(VariantTest, ConversionToDate) {
  EXPECT_EQ(Variant::FromDate({500, 2, 28, 23, 59, 59}).ToDate(),
            (SourceDate{500, 2, 28, 23, 59, 59}));
  EXPECT_FALSE(Variant::FromDate({2023, 2, 29, 0, 0, 0}).ToDate());  // not a leap year
  EXPECT_FALSE(Variant::FromDate({0, 1, 1, 0, 0, 0}).ToDate());
  EXPECT_EQ(Variant::FromText("2024-02-29 12:30:00").ToDate(),
            (SourceDate{2024, 2, 29, 12, 30, 0}));
  EXPECT_EQ(Variant::FromText("1999-12-31").ToDate(), (SourceDate{1999, 12, 31, 0, 0, 0}));
  EXPECT_FALSE(Variant::FromText("yesterday").ToDate());
  EXPECT_EQ(Variant::FromDouble(0).ToDate(), (SourceDate{1899, 12, 30, 0, 0, 0}));
  EXPECT_EQ(Variant::FromDouble(2.25).ToDate(), (SourceDate{1900, 1, 1, 6, 0, 0}));
  EXPECT_FALSE(Variant::FromDouble(1e12).ToDate());
  EXPECT_FALSE(Variant::Null().ToDate());
}

TEST(VariantTest, MakeDecimalCanonicalises) {
  struct Case {
    const char* in;
    std::optional<std::string> out;
  };
  const Case cases[] = {
      {"0", "0"},
      {"-0", "0"},
      {"+007.50", "7.5"},
      {".5", "0.5"},
      {"-.05", "-0.05"},
      {"1e3", "1000"},
      {"1.5E-3", "0.0015"},
      {"12345678901234567890123456789012345678", "12345678901234567890123456789012345678"},
      {"-99999999999999999999999999999999999999", "-99999999999999999999999999999999999999"},
      {"", std::nullopt},
      {"abc", std::nullopt},
      {"1.2.3", std::nullopt},
      {"-", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(MakeDecimal(c.in), c.out) << c.in;
}

}  // namespace
}  // namespace skerrow
