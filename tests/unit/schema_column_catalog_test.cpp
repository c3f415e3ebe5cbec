#include <gtest/gtest.h>

#include <string>

#include "schema/column_catalog.h"

namespace skerrow {
namespace {

struct ValueCase {
  const char* label;
  Variant value;
  bool timestampLength;
  std::string text;
};

class CatalogValueTextTest : public testing::TestWithParam<ValueCase> {};

TEST_P(CatalogValueTextTest, Converts) {
  EXPECT_EQ(CatalogValueText(GetParam().value, GetParam().timestampLength), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, CatalogValueTextTest,
    testing::Values(
        ValueCase{"decimal", Variant::FromDecimal("22"), false, "22"},
        ValueCase{"decimal_timestamp_length", Variant::FromDecimal("11"), true, "100"},
        ValueCase{"text_timestamp_length", Variant::FromText("11"), true, "100"},
        ValueCase{"decimal_low_32_bits", Variant::FromDecimal("4294967318"), false, "22"},
        ValueCase{"double", Variant::FromDouble(22.0), false, "22"},
        ValueCase{"double_cut_not_rounded", Variant::FromDouble(7.9), false, "7"},
        ValueCase{"double_timestamp_length", Variant::FromDouble(11.0), true, "100"},
        ValueCase{"null", Variant::Null(), false, ""},
        ValueCase{"text_trimmed", Variant::FromText("SYSDATE\n"), false, "SYSDATE"},
        ValueCase{"text_both_ends", Variant::FromText(" \t'a b' \r\n"), false, "'a b'"}),
    [](const auto& param) { return std::string(param.param.label); });

TEST(ColumnCatalogTest, DescriptorsFollowTheRows) {
  RowArray rows(6);
  rows.AppendRow({Variant::FromText("NAME"), Variant::FromText("VARCHAR2"), Variant::FromDouble(30),
                  Variant::Null(), Variant::FromText("Y"), Variant::Null()});
  rows.AppendRow({Variant::FromText("AT"), Variant::FromText("TIMESTAMP(6)"),
                  Variant::FromDouble(11), Variant::FromDouble(0), Variant::FromText("N"),
                  Variant::FromText("SYSDATE\n")});
  // A source that delivers the length as an exact decimal (as a live Oracle does).
  rows.AppendRow({Variant::FromText("TZ"), Variant::FromText("TIMESTAMP(6) WITH TIME ZONE"),
                  Variant::FromDecimal("13"), Variant::FromDecimal("0"), Variant::FromText("Y"),
                  Variant::Null()});
  rows.AppendRow({Variant::FromText("N"), Variant::FromText("NUMBER"), Variant::FromDecimal("22"),
                  Variant::FromDecimal("10"), Variant::FromText("Y"), Variant::Null()});
  const auto catalog = DescriptorsFromCatalogRows(rows);
  ASSERT_EQ(catalog.size(), 4u);
  // A source without the last two fields leaves them empty.
  EXPECT_EQ(catalog[0], (ColumnDescriptor{"NAME", "VARCHAR2", "30", "", "Y", ""}));
  EXPECT_EQ(catalog[1], (ColumnDescriptor{"AT", "TIMESTAMP(6)", "100", "0", "N", "SYSDATE"}));
  EXPECT_EQ(catalog[2],
            (ColumnDescriptor{"TZ", "TIMESTAMP(6) WITH TIME ZONE", "100", "0", "Y", ""}));
  EXPECT_EQ(catalog[3], (ColumnDescriptor{"N", "NUMBER", "22", "10", "Y", ""}));
}

// DATA_SCALE and CHAR_LENGTH, as an exact decimal (a live Oracle) or a double (the embedded
// instance); a scale keeps its sign.
TEST(ColumnCatalogTest, ScaleAndCharacterLengthFollowTheSixFields) {
  RowArray rows(8);
  auto row = [&](const char* name, const char* type, Variant scale, Variant characters) {
    rows.AppendRow({Variant::FromText(name), Variant::FromText(type), Variant::FromDecimal("22"),
                    Variant::FromDecimal("5"), Variant::FromText("Y"), Variant::Null(),
                    std::move(scale), std::move(characters)});
  };
  row("HUNDREDS", "NUMBER", Variant::FromDecimal("-2"), Variant::FromDecimal("0"));
  row("MONEY", "NUMBER", Variant::FromDouble(2), Variant::FromDouble(0));
  row("TENS", "NUMBER", Variant::FromDouble(-1), Variant::Null());
  row("NAME", "VARCHAR2", Variant::Null(), Variant::FromDecimal("100"));
  const auto catalog = DescriptorsFromCatalogRows(rows);
  ASSERT_EQ(catalog.size(), 4u);
  EXPECT_EQ(catalog[0], (ColumnDescriptor{"HUNDREDS", "NUMBER", "22", "5", "Y", "", "-2", "0"}));
  EXPECT_EQ(catalog[1], (ColumnDescriptor{"MONEY", "NUMBER", "22", "5", "Y", "", "2", "0"}));
  EXPECT_EQ(catalog[2], (ColumnDescriptor{"TENS", "NUMBER", "22", "5", "Y", "", "-1", ""}));
  EXPECT_EQ(catalog[3], (ColumnDescriptor{"NAME", "VARCHAR2", "22", "5", "Y", "", "", "100"}));
}

TEST(ColumnCatalogTest, QueryDoublesQuotesInTheTableName) {
  EXPECT_EQ(ColumnCatalogQuery("ITEMS"),
            "select COLUMN_NAME, DATA_TYPE, DATA_LENGTH, DATA_PRECISION, NULLABLE, DATA_DEFAULT, "
            "DATA_SCALE, CHAR_LENGTH from USER_TAB_COLUMNS where TABLE_NAME = 'ITEMS'");
  EXPECT_EQ(ColumnCatalogQuery("x'; DROP"),
            "select COLUMN_NAME, DATA_TYPE, DATA_LENGTH, DATA_PRECISION, NULLABLE, DATA_DEFAULT, "
            "DATA_SCALE, CHAR_LENGTH from USER_TAB_COLUMNS where TABLE_NAME = 'x''; DROP'");
}

}  // namespace
}  // namespace skerrow
