#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "workflow/table_order.h"

namespace skerrow {
namespace {

TEST(TableOrder, LargestTablesStartFirstAndUnknownSizesKeepTheOrderGiven) {
  using Counts = std::map<std::string, std::int64_t>;
  struct Case {
    const char* name;
    std::vector<std::string> tables;
    Counts counts;
    std::vector<std::size_t> order;
  };
  const Case cases[] = {
      {"no counts: the order given", {"A", "B", "C"}, {}, {0, 1, 2}},
      {"every count known", {"A", "B", "C"}, {{"A", 10}, {"B", 3000}, {"C", 200}}, {1, 2, 0}},
      {"equal counts keep their order", {"A", "B", "C"}, {{"A", 5}, {"B", 9}, {"C", 5}}, {1, 0, 2}},
      {"unknown sizes go first, in the order given",
       {"A", "B", "C", "D"},
       {{"A", 1}, {"C", 100}},
       {1, 3, 2, 0}},
      {"empty tables last", {"E", "F"}, {{"E", 0}, {"F", 1}}, {1, 0}},
      {"counts of other tables change nothing", {"A", "B"}, {{"Z", 99}}, {0, 1}},
      {"names are matched exactly", {"emp", "EMP"}, {{"EMP", 7}, {"emp", 1}}, {1, 0}},
      {"nothing to order", {}, {{"A", 1}}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(LargestFirst(c.tables, c.counts), c.order);
  }
}

// NUM_ROWS as a source hands it over: a number (the dictionary's doubles), a decimal or text,
// and nothing for a table without statistics.
TEST(TableOrder, RowCountsAreReadFromTheDictionaryRowsThatHoldOne) {
  RowArray rows(2);
  rows.AppendRow({Variant::FromText("DOUBLE"), Variant::FromDouble(250000)});
  rows.AppendRow({Variant::FromText("DECIMAL"), Variant::FromDecimal("42")});
  rows.AppendRow({Variant::FromText("TEXT"), Variant::FromText("17")});
  rows.AppendRow({Variant::FromText("NEVER_ANALYSED"), Variant::Null()});
  rows.AppendRow({Variant::FromText("EMPTY"), Variant()});
  rows.AppendRow({Variant::FromText("NEGATIVE"), Variant::FromDouble(-1)});
  rows.AppendRow({Variant::FromText("HUGE"), Variant::FromDouble(1e300)});
  rows.AppendRow({Variant::FromText("WORDS"), Variant::FromText("many")});
  rows.AppendRow({Variant::Null(), Variant::FromDouble(3)});
  EXPECT_EQ(SourceRowCounts(rows), (std::map<std::string, std::int64_t>{
                                       {"DECIMAL", 42}, {"DOUBLE", 250000}, {"TEXT", 17}}));
  EXPECT_TRUE(SourceRowCounts(RowArray(1)).empty());
}

}  // namespace
}  // namespace skerrow
