#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "transfer/row_statements.h"

namespace skerrow {
namespace {

TEST(TransferStatementsTest, RowQueryQuotesOwnerAndTableAsOracleNames) {
  EXPECT_EQ(RowQuery("\"ID\",\"NOTE\"", SourceOwner("sales"), "Orders"),
            "Select \"ID\",\"NOTE\" from \"SALES\".\"Orders\" w");
  EXPECT_EQ(RowQuery("\"A\",w.\"U\".getUrl()", SourceOwner("Scott "), "a\"b"),
            "Select \"A\",w.\"U\".getUrl() from \"SCOTT \".\"a\"\"b\" w");
}

TEST(TransferStatementsTest, InsertPrefixAndOneRow) {
  const std::string prefix = InsertPrefix("shop", "ORDERS", {"ID", "NOTE"});
  EXPECT_EQ(prefix, "Insert into `shop`.`ORDERS`(`ID`,`NOTE`)values(");
  EXPECT_EQ(RowStatement(prefix, "7,'a\\\\b'"),
            "Insert into `shop`.`ORDERS`(`ID`,`NOTE`)values(7,'a\\\\b')");
  // Names keep their backslashes; only backticks are doubled.
  EXPECT_EQ(InsertPrefix("d`b", "t\\a'b", {"c`1", "c\\2"}),
            "Insert into `d``b`.`t\\a'b`(`c``1`,`c\\2`)values(");
}

TEST(TransferStatementsTest, SkippedColumnUpdateSetsTheEmptyTextInEveryRow) {
  EXPECT_EQ(SkippedColumnUpdate("shop", "DOCS", "BODY"), "UPDATE `shop`.`DOCS` SET `BODY`=''");
  EXPECT_EQ(SkippedColumnUpdate("shop", "a\\b", "x`y"), "UPDATE `shop`.`a\\b` SET `x``y`=''");
}

TEST(TransferStatementsTest, SplitQuotedNameList) {
  using Names = std::vector<std::string>;
  struct Case {
    const char* list;
    std::optional<Names> names;
  };
  const Case cases[] = {
      {"\"ID\"", Names{"ID"}},
      {"\"ID\",\"NOTE\"", Names{"ID", "NOTE"}},
      {"\"a\"\"b\",\"c,d\",\"e`f\\g\"", Names{"a\"b", "c,d", "e`f\\g"}},
      {"", Names{}},
      {"ID", std::nullopt},
      {"\"ID\",", std::nullopt},
      {"\"ID\" ,\"X\"", std::nullopt},
      {"\"unclosed", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitQuotedNameList(c.list), c.names) << c.list;
}

}  // namespace
}  // namespace skerrow
