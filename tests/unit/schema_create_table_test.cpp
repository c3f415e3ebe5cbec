#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "schema/column_catalog.h"
#include "schema/create_table_text.h"
#include "schema/default_translation.h"
#include "schema/table_creation.h"
#include "schema/table_definition.h"
#include "support/simple_escape.h"
#include "transfer/table_column_lists.h"

namespace skerrow {
namespace {

using test::SimpleEscape;

struct DefaultCase {
  const char* what;
  std::string oracleText;  // DATA_DEFAULT as Oracle keeps it
  std::string clause;
  bool dropped;  // left out, with a reason for the report
};

// Default texts as Oracle stores them: the expression as typed, with blanks, line breaks and
// comments around it.
TEST(DefaultTranslationTest, KeepsEveryLiteralAndLeavesOutEverythingElse) {
  const std::vector<DefaultCase> cases = {
      {"none", "", "", false},
      {"text", "'none'", "DEFAULT 'none'", false},
      {"trailing line break", "'none'\n", "DEFAULT 'none'", false},
      {"blanks and line breaks around", " \t\r\n 'x' \n  ", "DEFAULT 'x'", false},
      {"blanks inside kept", "'  two  words  '", "DEFAULT '  two  words  '", false},
      {"line break inside kept", "'a\nb'", "DEFAULT 'a\nb'", false},
      {"brackets inside", "'a(b)'", "DEFAULT 'a(b)'", false},
      {"comment marker inside", "'--x'", "DEFAULT '--x'", false},
      {"block comment inside", "'/*x*/'", "DEFAULT '/*x*/'", false},
      {"backslashes", "'C:\\temp\\'", "DEFAULT 'C:\\\\temp\\\\'", false},
      {"doubled quotes", "'it''s'", "DEFAULT 'it''s'", false},
      {"only a quote", "''''", "DEFAULT ''''", false},
      {"national literal", "N'caf\xC3\xA9'", "DEFAULT 'caf\xC3\xA9'", false},
      {"quote literal", "q'[it's (a) test]'", "DEFAULT 'it''s (a) test'", false},
      {"quote literal braces", "Q'{x}'", "DEFAULT 'x'", false},
      {"in brackets", "('x')", "DEFAULT 'x'", false},
      {"trailing comment", "'x' -- the label\n", "DEFAULT 'x'", false},
      {"comment line before", "-- first\n'x'", "DEFAULT 'x'", false},
      {"block comment before", "/* c */ 'x'", "DEFAULT 'x'", false},
      {"empty text is NULL", "''", "", false},
      {"NULL", "NULL", "", false},
      {"null in brackets", "(null)", "", false},
      {"number", "7", "DEFAULT 7", false},
      {"number and blanks", "  7  ", "DEFAULT 7", false},
      {"number in brackets", "(0)", "DEFAULT 0", false},
      {"number and comment", "5 -- comment", "DEFAULT 5", false},
      {"negative", "-5", "DEFAULT -5", false},
      {"negative in brackets", "(-5)", "DEFAULT -5", false},
      {"sign outside brackets", "-(5)", "DEFAULT -5", false},
      {"nested brackets", "((-(1.50)))", "DEFAULT -1.5", false},
      {"plus sign", "+3", "DEFAULT 3", false},
      {"fraction", ".5", "DEFAULT 0.5", false},
      {"exponent", "1e3", "DEFAULT 1000", false},
      {"binary float literal", "1.5f", "DEFAULT 1.5", false},
      {"huge", "1e100", "DEFAULT 1E+100", false},
      {"date literal", "DATE '2024-01-31'", "DEFAULT '2024-01-31'", false},
      {"timestamp literal", "timestamp '2024-01-31 10:00:00'", "DEFAULT '2024-01-31 10:00:00'",
       false},
      {"empty CLOB", "EMPTY_CLOB()", "DEFAULT ''", false},
      {"empty BLOB", "empty_blob ( ) ", "DEFAULT ''", false},
      {"UID", "UID", "DEFAULT 0", false},
      {"uid in brackets", "(uid)", "DEFAULT 0", false},
      {"SYSDATE", "SYSDATE", "", true},
      {"sysdate with line break", "sysdate\n", "", true},
      {"SysDate and blanks", "  SysDate  ", "", true},
      {"USER", "USER", "", true},
      {"user", " user ", "", true},
      {"SYSTIMESTAMP", "SYSTIMESTAMP", "", true},
      {"CURRENT_TIMESTAMP", "CURRENT_TIMESTAMP(3)", "", true},
      {"SYS_GUID", "SYS_GUID()", "", true},
      {"sys_context", "sys_context('USERENV','OS_USER')", "", true},
      {"sequence", "orders_seq.NEXTVAL", "", true},
      {"identity generator", "\"ORDERS\".\"ISEQ$$_74011\".nextval", "", true},
      {"arithmetic", "1 + 1", "", true},
      {"arithmetic of brackets", "(1) + (2)", "", true},
      {"concatenation", "'a' || 'b'", "", true},
      {"function call", "TO_DATE('2024-01-01', 'YYYY-MM-DD')", "", true},
      {"unbalanced bracket", "(5", "", true},
      {"text that never ends", "'abc", "", true},
      {"comment that never ends", "/* abc", "", true},
  };
  for (const auto& c : cases) {
    const DefaultTranslation translation = TranslateDefault(c.oracleText, SimpleEscape);
    EXPECT_EQ(translation.clause, c.clause) << c.what;
    EXPECT_EQ(translation.droppedBecause.has_value(), c.dropped) << c.what;
  }
}

// The crafted pair: a default ending in a backslash, and one that would close the literal and
// declare a column of its own. Each stays one literal.
TEST(DefaultTranslationTest, NoDefaultTextCanChangeTheStatement) {
  EXPECT_EQ(TranslateDefault("'p\\'", SimpleEscape).clause, "DEFAULT 'p\\\\'");
  EXPECT_EQ(TranslateDefault("', `INJECTED` INT DEFAULT 7 --'", SimpleEscape).clause,
            "DEFAULT ', `INJECTED` INT DEFAULT 7 --'");
  EXPECT_EQ(TranslateDefault("'x'' , `Y` INT --'", SimpleEscape).clause,
            "DEFAULT 'x'' , `Y` INT --'");
}

// A default's text is the source's: however long or deeply bracketed, it is read in one pass.
TEST(DefaultTranslationTest, HugeAndDeeplyNestedTextsAreReadInOnePass) {
  const std::size_t depth = 200000;
  const std::string nested = std::string(depth, '(') + "'x'" + std::string(depth, ')');
  EXPECT_EQ(TranslateDefault(nested, SimpleEscape).clause, "DEFAULT 'x'");
  const std::string unbalanced = std::string(depth, '(') + "1";
  EXPECT_TRUE(TranslateDefault(unbalanced, SimpleEscape).droppedBecause);
  const std::string longText = "'" + std::string(1 << 20, 'a') + "'";
  EXPECT_EQ(TranslateDefault(longText, SimpleEscape).clause.size(), longText.size() + 8);
}

// Builds the whole statement the way TranslateTable does, from a catalog and key rows.
std::string Statement(const std::string& database, const std::string& table,
                      const std::vector<ColumnDescriptor>& catalog,
                      const std::vector<std::string>& keyRows) {
  TableColumnLists lists;
  ResetColumnLists(lists);
  SizeColumnLists(lists, catalog.size());
  const TableDefinition definition = BuildTableDefinition(lists, catalog, SimpleEscape);
  return CreateTableStatement(CreateTableHead(database, table), ColumnDefinitionsText(definition),
                              KeyClause(keyRows, definition));
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
                      "Create table `shop`.`T`(`B` DOUBLE NOT NULL ,`A` CHAR (1) NOT NULL "
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
        StatementCase{"exact_numbers",
                      "N",
                      {{"ID", "NUMBER", "22", "19", "N", "", "0", "0"},
                       {"AMOUNT", "NUMBER", "22", "18", "Y", "(0)", "4", "0"},
                       {"QTY", "NUMBER", "22", "", "Y", "", "0", "0"},
                       {"RATIO", "NUMBER", "22", "", "Y", "", "", "0"},
                       {"PI", "BINARY_DOUBLE", "8", "", "Y", "", "", "0"}},
                      {"ID"},
                      "Create table `shop`.`N`(`ID` DECIMAL(19,0) NOT NULL ,`AMOUNT` "
                      "DECIMAL(18,4) DEFAULT 0,`QTY` DECIMAL(38,0) ,`RATIO` DOUBLE ,`PI` DOUBLE "
                      ",PRIMARY KEY(`ID`))ENGINE=MyISAM"},
        StatementCase{"lengths_in_characters",
                      "L",
                      {{"CODE", "CHAR", "2", "", "N", "", "", "2"},
                       {"NAT", "NCHAR", "6", "", "Y", "", "", "3"},
                       {"LONGER", "CHAR", "500", "", "Y", "", "", "500"},
                       {"LANG", "VARCHAR2", "400", "", "N", "", "", "100"},
                       {"NAME", "NVARCHAR2", "80", "", "Y", "", "", "40"},
                       {"AT", "TIMESTAMP(6)", "100", "", "Y", "", "6", "0"}},
                      {"CODE", "LANG"},
                      "Create table `shop`.`L`(`CODE` CHAR (2) NOT NULL ,`NAT` CHAR (3) ,`LONGER` "
                      "VARCHAR (500) ,`LANG` VARCHAR (100) NOT NULL ,`NAME` VARCHAR (40) ,`AT` "
                      "VARCHAR (100) ,PRIMARY KEY(`CODE`,`LANG`))ENGINE=MyISAM"},
        StatementCase{"binary_and_lob_columns",
                      "B",
                      {{"K", "BLOB", "4000", "", "N", ""},
                       {"LR", "LONG RAW", "0", "", "Y", ""},
                       {"C", "CLOB", "4000", "", "N", "EMPTY_CLOB()"}},
                      {"K"},
                      "Create table `shop`.`B`(`K` LONGBLOB NOT NULL ,`LR` LONGBLOB ,`C` LONGTEXT "
                      "NOT NULL DEFAULT '',PRIMARY KEY(`K`(250)))ENGINE=MyISAM"},
        StatementCase{"hostile_defaults_stay_literals",
                      "H",
                      {{"A", "VARCHAR2", "10", "", "Y", "'p\\'"},
                       {"B", "VARCHAR2", "40", "", "Y", "', `INJECTED` INT DEFAULT 7 --'"}},
                      {},
                      "Create table `shop`.`H`(`A` VARCHAR (10) DEFAULT 'p\\\\',`B` VARCHAR (40) "
                      "DEFAULT ', `INJECTED` INT DEFAULT 7 --')ENGINE=MyISAM"},
        StatementCase{"backticks_in_names_are_doubled",
                      "a`b",
                      {{"c`d", "NUMBER", "22", "", "Y", ""}},
                      {"c`d"},
                      "Create table `shop`.`a``b`(`c``d` DOUBLE ,PRIMARY "
                      "KEY(`c``d`))ENGINE=MyISAM"}),
    [](const auto& param) { return std::string(param.param.label); });

// What the MySQL table does not keep of the source's definition is noted column by column.
TEST(TableDefinitionTest, NotesEveryDefaultLeftOutAndEveryTypeKeptApproximate) {
  TableColumnLists lists;
  SizeColumnLists(lists, 5);
  const TableDefinition definition =
      BuildTableDefinition(lists,
                           {{"CREATED", "TIMESTAMP(6)", "100", "", "N", "SYSTIMESTAMP"},
                            {"ID", "RAW", "16", "", "N", "SYS_GUID()"},
                            {"F", "BINARY_FLOAT", "4", "", "Y", "1.5"},
                            {"TINY", "NUMBER", "22", "38", "Y", "", "35", "0"},
                            {"NOTE", "VARCHAR2", "20", "", "Y", "NULL", "", "20"}},
                           SimpleEscape);
  using Kind = SchemaNote::Kind;
  ASSERT_EQ(definition.notes.size(), 4u);
  EXPECT_EQ(definition.notes[0].kind, Kind::DefaultDropped);
  EXPECT_EQ(definition.notes[0].column, "CREATED");
  EXPECT_EQ(definition.notes[0].sourceText, "SYSTIMESTAMP");
  EXPECT_EQ(definition.notes[1].column, "ID");
  EXPECT_EQ(definition.notes[1].sourceText, "SYS_GUID()");
  EXPECT_EQ(definition.notes[2].column, "F");
  EXPECT_NE(definition.notes[2].reason.find("BINARY_FLOAT"), std::string::npos);
  EXPECT_EQ(definition.notes[3].kind, Kind::TypeChanged);
  EXPECT_EQ(definition.notes[3].column, "TINY");
  EXPECT_EQ(definition.notes[3].targetType, "DOUBLE");
  for (const auto& column : definition.columns) EXPECT_EQ(column.defaultClause, "") << column.name;
  EXPECT_EQ(SchemaNoteText(definition.notes[0]),
            "the default SYSTIMESTAMP of CREATED was left out: it is not a literal, and MySQL "
            "takes only literal column defaults here");
}

// The server refused the table for its row size: the longest VARCHAR becomes TEXT, one at a
// time, the first of equally long ones first; beyond 65,535 bytes MEDIUMTEXT; a widened key
// column is keyed by its prefix.
TEST(TableDefinitionTest, TheLongestVarcharsBecomeTextOneAtATime) {
  TableColumnLists lists;
  SizeColumnLists(lists, 4);
  TableDefinition definition =
      BuildTableDefinition(lists,
                           {{"K", "VARCHAR2", "4000", "", "N", "", "", "4000"},
                            {"A", "VARCHAR2", "4000", "", "Y", "'a'", "", "4000"},
                            {"HUGE", "VARCHAR2", "32767", "", "Y", "", "", "32767"},
                            {"N", "NUMBER", "22", "", "Y", "", "", "0"}},
                           SimpleEscape);
  ASSERT_TRUE(WidenLongestVarchar(definition, kErrorColumnLengthTooBig));
  ASSERT_TRUE(WidenLongestVarchar(definition, kErrorRowSizeTooLarge));
  EXPECT_EQ(ColumnDefinitionsText(definition),
            "`K` TEXT NOT NULL ,`A` VARCHAR (4000) DEFAULT 'a',`HUGE` MEDIUMTEXT ,`N` DOUBLE ");
  EXPECT_EQ(KeyClause({"K"}, definition), ",PRIMARY KEY(`K`(250))");
  ASSERT_TRUE(WidenLongestVarchar(definition, kErrorRowSizeTooLarge));
  EXPECT_FALSE(WidenLongestVarchar(definition, kErrorRowSizeTooLarge));
  ASSERT_EQ(definition.notes.size(), 3u);
  EXPECT_EQ(definition.notes[0].column, "HUGE");
  EXPECT_EQ(definition.notes[0].targetType, "MEDIUMTEXT");
  EXPECT_NE(definition.notes[0].reason.find("1074"), std::string::npos);
  EXPECT_EQ(definition.notes[1].column, "K");
  EXPECT_NE(definition.notes[1].reason.find("VARCHAR(4000)"), std::string::npos);
  EXPECT_EQ(definition.notes[2].column, "A");
  EXPECT_EQ(SchemaNoteText(definition.notes[2]),
            "A became TEXT: as VARCHAR(4000) the table's row was larger than MySQL's 65,535 "
            "bytes (MySQL error 1118)");
}

// The server refused a default: the column its message names loses it; a message that names
// no column takes every default.
TEST(TableDefinitionTest, ARefusedDefaultIsLeftOutWithTheServersReason) {
  TableColumnLists lists;
  SizeColumnLists(lists, 3);
  TableDefinition definition = BuildTableDefinition(lists,
                                                    {{"A", "NUMBER", "22", "", "Y", "'abc'"},
                                                     {"B", "VARCHAR2", "5", "", "Y", "'x'"},
                                                     {"C", "VARCHAR2", "5", "", "Y", ""}},
                                                    SimpleEscape);
  ASSERT_TRUE(DropRefusedDefaults(definition, "Invalid default value for 'A' (MySQL error 1067)"));
  EXPECT_EQ(ColumnDefinitionsText(definition),
            "`A` DOUBLE ,`B` VARCHAR (5) DEFAULT 'x',`C` VARCHAR (5) ");
  ASSERT_EQ(definition.notes.size(), 1u);
  EXPECT_EQ(definition.notes[0].column, "A");
  EXPECT_EQ(definition.notes[0].reason,
            "MySQL refused it: Invalid default value for 'A' (MySQL error 1067)");
  ASSERT_TRUE(DropRefusedDefaults(definition, "Unknown column 'Q' in 'DEFAULT'"));
  EXPECT_EQ(definition.notes.size(), 2u);
  EXPECT_FALSE(DropRefusedDefaults(definition, "Invalid default value for 'B'"));
}

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
