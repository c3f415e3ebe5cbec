#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "schema/column_catalog.h"
#include "schema/create_table_text.h"
#include "schema/table_creation.h"
#include "transfer/table_column_lists.h"

namespace skerrow {
namespace {

struct DefaultCase {
  std::string dataDefault;
  bool suppress;
  std::string clause;
};

class DefaultClauseTest : public testing::TestWithParam<DefaultCase> {};

TEST_P(DefaultClauseTest, FollowsTheDefaultRule) {
  EXPECT_EQ(DefaultClause(GetParam().dataDefault, GetParam().suppress), GetParam().clause);
}

INSTANTIATE_TEST_SUITE_P(
    EveryForm, DefaultClauseTest,
    testing::Values(
        DefaultCase{"", false, ""}, DefaultCase{"SYSDATE", false, ""},
        DefaultCase{"sysdate", false, ""}, DefaultCase{"USER", false, ""},
        DefaultCase{"user", false, ""}, DefaultCase{"'none'", true, ""},
        DefaultCase{"'none'", false, "DEFAULT 'none'"}, DefaultCase{"(0)", false, "DEFAULT 0"},
        DefaultCase{"'a(b)'", false, "DEFAULT 'ab'"}, DefaultCase{"UID", false, "DEFAULT 0"},
        DefaultCase{"(UID)", false, "DEFAULT 0"}, DefaultCase{"5 -- comment", false, "DEFAULT 5 "},
        DefaultCase{"  7  ", false, "DEFAULT 7"}, DefaultCase{"()", false, ""}));

// Builds the whole statement the way TranslateTable does, from a catalog and key rows.
std::string Statement(const std::string& database, const std::string& table,
                      const std::vector<ColumnDescriptor>& catalog,
                      const std::vector<std::string>& keyRows) {
  TableColumnLists lists;
  ResetColumnLists(lists);
  SizeColumnLists(lists, catalog.size());
  const std::string definitions = BuildColumnDefinitions(lists, catalog);
  return CreateTableStatement(CreateTableHead(database, table), definitions,
                              KeyClause(keyRows, catalog));
}

struct StatementCase {
  const char* label;
  std::string table;
  std::vector<ColumnDescriptor> catalog;
  std::vector<std::string> keyRows;
  std::string statement;
};

class CreateTableStatementTest : public testing::TestWithParam<StatementCase> {};

TEST_P(CreateTableStatementTest, ByteForByte) {
  const StatementCase& c = GetParam();
  EXPECT_EQ(Statement("shop", c.table, c.catalog, c.keyRows), c.statement);
}

const ColumnDescriptor kItemId{"ITEM_ID", "NUMBER", "22", "10", "N", ""};
const ColumnDescriptor kTitle{"TITLE", "VARCHAR2", "80", "", "Y", "'none'"};
const ColumnDescriptor kAdded{"ADDED", "DATE", "7", "", "Y", "SYSDATE"};

INSTANTIATE_TEST_SUITE_P(
    Tables, CreateTableStatementTest,
    testing::Values(
        StatementCase{"items_example",
                      "ITEMS",
                      {kItemId, kTitle, kAdded},
                      {"ITEM_ID"},
                      "Create table `shop`.`ITEMS`(`ITEM_ID` DOUBLE NOT NULL ,`TITLE` VARCHAR (80) "
                      "DEFAULT 'none',`ADDED` DATETIME ,PRIMARY KEY(`ITEM_ID`))ENGINE=MyISAM"},
        StatementCase{"no_key",
                      "ITEMS",
                      {kItemId, kTitle},
                      {},
                      "Create table `shop`.`ITEMS`(`ITEM_ID` DOUBLE NOT NULL ,`TITLE` VARCHAR (80) "
                      "DEFAULT 'none')ENGINE=MyISAM"},
        StatementCase{"composite_key_in_position_order",
                      "T",
                      {{"B", "NUMBER", "22", "", "N", ""}, {"A", "CHAR", "1", "", "N", ""}},
                      {"A", "B"},
                      "Create table `shop`.`T`(`B` DOUBLE NOT NULL ,`A` CHAR (255) NOT NULL "
                      ",PRIMARY KEY(`A`,`B`))ENGINE=MyISAM"},
        StatementCase{"raw_key_prefix",
                      "R",
                      {{"K", "RAW", "16", "", "N", ""}},
                      {"K"},
                      "Create table `shop`.`R`(`K` LONGTEXT NOT NULL ,PRIMARY "
                      "KEY(`K`(250)))ENGINE=MyISAM"},
        StatementCase{"two_owners_same_key",
                      "ITEMS",
                      {kItemId},
                      {"ITEM_ID", "ITEM_ID"},
                      "Create table `shop`.`ITEMS`(`ITEM_ID` DOUBLE NOT NULL ,PRIMARY "
                      "KEY(`ITEM_ID`))ENGINE=MyISAM"},
        StatementCase{"key_rows_name_absent_columns",
                      "ITEMS",
                      {kItemId},
                      {"OTHER_ID", "ID"},
                      "Create table `shop`.`ITEMS`(`ITEM_ID` DOUBLE NOT NULL )ENGINE=MyISAM"},
        StatementCase{"not_null_after_xmltype",
                      "DOCS",
                      {{"ID", "NUMBER", "22", "", "N", ""},
                       {"BODY", "XMLTYPE", "2000", "", "N", ""},
                       {"NAME", "VARCHAR2", "30", "", "N", "'x'"}},
                      {},
                      "Create table `shop`.`DOCS`(`ID` DOUBLE NOT NULL ,`BODY` varchar(100) "
                      ",`NAME` VARCHAR (30) DEFAULT 'x')ENGINE=MyISAM"},
        StatementCase{"defaults_and_suppressed_defaults",
                      "D",
                      {{"F", "BINARY_FLOAT", "4", "", "Y", "1.5"},
                       {"U", "NUMBER", "22", "", "Y", "UID"},
                       {"X", "XMLTYPE", "2000", "", "Y", "XMLType('<a/>')"}},
                      {},
                      "Create table `shop`.`D`(`F` float ,`U` DOUBLE DEFAULT 0,`X` varchar(100) "
                      ")ENGINE=MyISAM"},
        StatementCase{"backticks_in_names_are_doubled",
                      "a`b",
                      {{"c`d", "NUMBER", "22", "", "Y", ""}},
                      {"c`d"},
                      "Create table `shop`.`a``b`(`c``d` DOUBLE ,PRIMARY "
                      "KEY(`c``d`))ENGINE=MyISAM"}),
    [](const auto& param) { return std::string(param.param.label); });

TEST(KeyQueriesTest, QuoteTheTableName) {
  EXPECT_EQ(ConstraintQuery("IT'S"),
            "SELECT constraint_name, constraint_type FROM user_constraints WHERE table_name = "
            "'IT''S'");
  EXPECT_EQ(PrimaryKeyQuery("ITEMS"),
            "SELECT cols.table_name, cols.column_name, cols.position, cons.status, cons.owner "
            "FROM all_constraints cons, all_cons_columns cols WHERE cols.table_name =  'ITEMS' "
            "AND cons.constraint_type = 'P'AND cons.constraint_name = cols.constraint_name AND "
            "cons.owner = cols.owner ORDER BY cols.table_name, cols.position");
}

// The key query sees every owner's same-named table; only the connected user's rows count.
// STORE's ITEMS is keyed on SKU, SHOP's on ITEM_ID, and both tables have an ITEM_ID.
TEST(KeyQueriesTest, OnlyTheOwnersKeyRowsAreUsed) {
  RowArray rows(5);
  auto row = [&](const char* column, double position, const char* owner) {
    rows.AppendRow({Variant::FromText("ITEMS"), Variant::FromText(column),
                    Variant::FromDouble(position), Variant::FromText("ENABLED"),
                    Variant::FromText(owner)});
  };
  row("ITEM_ID", 1, "SHOP");
  row("SKU", 1, "STORE");
  row("ORDER_NO", 2, "STORE");
  EXPECT_EQ(OwnKeyColumnNames(rows, "STORE"), (std::vector<std::string>{"SKU", "ORDER_NO"}));
  EXPECT_EQ(OwnKeyColumnNames(rows, "SHOP"), (std::vector<std::string>{"ITEM_ID"}));
  EXPECT_EQ(OwnKeyColumnNames(rows, "NOBODY"), std::vector<std::string>{});

  // A source that names no owner: every row is kept.
  RowArray anonymous(2);
  anonymous.AppendRow({Variant::FromText("ITEMS"), Variant::FromText(" A ")});
  anonymous.AppendRow({Variant::FromText("ITEMS"), Variant::FromText("B")});
  EXPECT_EQ(OwnKeyColumnNames(anonymous, "SHOP"), (std::vector<std::string>{"A", "B"}));
}

}  // namespace
}  // namespace skerrow
