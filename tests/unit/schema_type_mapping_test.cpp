#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "schema/column_catalog.h"
#include "schema/column_type_mapping.h"
#include "transfer/table_column_lists.h"

namespace skerrow {
namespace {

struct MappingCase {
  std::string dataType;
  std::string targetType;
  std::string selectExpression;  // empty: skipped column
  std::string textType;          // the TextColumnTypes entry
  bool suppressDefault;
};

class TypeMappingTest : public testing::TestWithParam<MappingCase> {};

TEST_P(TypeMappingTest, MapsOneColumn) {
  const MappingCase& c = GetParam();
  TableColumnLists lists;
  ResetColumnLists(lists);
  SizeColumnLists(lists, 1);
  bool suppressDefault = !c.suppressDefault;
  const std::string type =
      MapColumnType(lists, {"C", c.dataType, "10", "", "Y", ""}, 0, suppressDefault);

  EXPECT_EQ(type, c.targetType);
  EXPECT_EQ(suppressDefault, c.suppressDefault);
  EXPECT_EQ(lists.SourceSelectList, c.selectExpression);
  EXPECT_EQ(lists.TextColumnTypes[0], c.textType);
  const bool skipped = c.selectExpression.empty();
  EXPECT_EQ(lists.TargetColumnList, skipped ? "" : "\"C\"");
  EXPECT_EQ(lists.SkippedColumnNames[0], skipped ? "C" : "");
  EXPECT_EQ(lists.HasSkippedColumns, skipped);
}

const std::string kRaw = "utl_raw.cast_to_raw(\"C\")";

INSTANTIATE_TEST_SUITE_P(
    EveryRow, TypeMappingTest,
    testing::Values(MappingCase{"NUMBER", "DOUBLE", "\"C\"", "", false},
                    MappingCase{"NUMBER(10)", "DOUBLE", "\"C\"", "", false},
                    MappingCase{"NUMBER(10,2)", "DOUBLE", "\"C\"", "", false},
                    MappingCase{"PHONE_NUMBER_T", "DOUBLE", "\"C\"", "", false},
                    MappingCase{"VARCHAR2", "VARCHAR", "\"C\"", "VARCHAR2", false},
                    MappingCase{"NVARCHAR2", "VARCHAR", "\"C\"", "NVARCHAR2", false},
                    MappingCase{"VARCHAR", "VARCHAR", "\"C\"", "VARCHAR", false},
                    MappingCase{"RAW", "LONGTEXT", kRaw, "", true},
                    MappingCase{"ROW", "LONGTEXT", kRaw, "", true},
                    MappingCase{"BINARY_FLOAT", "float", kRaw, "", true},
                    MappingCase{"BINARY_DOUBLE", "float", kRaw, "", true},
                    MappingCase{"LONG RAW", "LONGTEXT", "\"C\"", "", false},
                    MappingCase{"XMLType", "varchar(100)", "", "", true},
                    MappingCase{"XMLTYPE", "varchar(100)", "", "", true},
                    MappingCase{"xmltype", "VARCHAR", "\"C\"", "", false},
                    MappingCase{"HTTPURITYPE", "varchar(255)", "w.\"C\".getUrl()", "HTTPURITYPE",
                                false},
                    MappingCase{"URITYPE", "varchar(255)", "w.\"C\".getUrl()", "URITYPE", false},
                    MappingCase{"DBURITYPE", "VARCHAR", "\"C\"", "", false},
                    MappingCase{"BFILE", "varchar(100)", "", "", true},
                    MappingCase{"BLOB", "LONGTEXT", "\"C\"", "", false},
                    MappingCase{"CLOB", "LONGTEXT", "\"C\"", "", false},
                    MappingCase{"NCLOB", "LONGTEXT", "\"C\"", "", false},
                    MappingCase{"INTERVAL DAY(2) TO SECOND(6)", "VARCHAR(100)", kRaw, "", false},
                    MappingCase{"INTERVAL YEAR(2) TO MONTH", "VARCHAR(100)", kRaw, "", false},
                    MappingCase{"CHAR", "CHAR", "\"C\"", "CHAR", false},
                    MappingCase{"NCHAR", "CHAR", "\"C\"", "NCHAR", false},
                    MappingCase{"CHARGE_T", "CHAR", "\"C\"", "CHARGE_T", false},
                    MappingCase{"DATE", "DATETIME", "\"C\"", "", false},
                    MappingCase{"TIMESTAMP(6)", "VARCHAR", kRaw, "", false},
                    MappingCase{"TIMESTAMP(6) WITH TIME ZONE", "VARCHAR", kRaw, "", false},
                    MappingCase{"FLOAT", "DOUBLE", "\"C\"", "", false},
                    MappingCase{"ROWID", "BLOB", kRaw, "", false},
                    MappingCase{"UROWID", "BLOB", kRaw, "", false},
                    MappingCase{"LONG", "LONG", "\"C\"", "", false},
                    MappingCase{"SDO_GEOMETRY", "VARCHAR", "\"C\"", "", false}));

TEST(TypeMappingTest, QuotesInColumnNamesAreDoubled) {
  TableColumnLists lists;
  SizeColumnLists(lists, 2);
  bool suppress = false;
  MapColumnType(lists, {"A\"B", "URITYPE", "10", "", "Y", ""}, 0, suppress);
  MapColumnType(lists, {"R\"", "RAW", "10", "", "Y", ""}, 1, suppress);
  EXPECT_EQ(lists.SourceSelectList, "w.\"A\"\"B\".getUrl(),utl_raw.cast_to_raw(\"R\"\"\")");
  EXPECT_EQ(lists.TargetColumnList, "\"A\"\"B\",\"R\"\"\"");
  EXPECT_EQ(lists.SelectedColumnNames, (std::vector<std::string>{"A\"B", "R\""}));
}

// A skipped column between selected ones: the lists skip it, the text types follow the
// selected positions, the skipped name keeps its catalog position.
TEST(TypeMappingTest, MixedTableKeepsListsAligned) {
  TableColumnLists lists;
  SizeColumnLists(lists, 3);
  bool suppress = false;
  MapColumnType(lists, {"ID", "NUMBER", "22", "", "N", ""}, 0, suppress);
  MapColumnType(lists, {"DOC", "XMLType", "4000", "", "Y", ""}, 1, suppress);
  MapColumnType(lists, {"NAME", "VARCHAR2", "30", "", "Y", ""}, 2, suppress);

  EXPECT_EQ(lists.SourceSelectList, "\"ID\",\"NAME\"");
  EXPECT_EQ(lists.TargetColumnList, "\"ID\",\"NAME\"");
  EXPECT_EQ(lists.TextColumnTypes, (std::vector<std::string>{"", "VARCHAR2", "", ""}));
  EXPECT_EQ(lists.SkippedColumnNames, (std::vector<std::string>{"", "DOC", "", ""}));
  EXPECT_TRUE(lists.HasSkippedColumns);
}

TEST(TypeMappingTest, LeadingSkippedColumnLeavesNoSeparator) {
  TableColumnLists lists;
  SizeColumnLists(lists, 2);
  bool suppress = false;
  MapColumnType(lists, {"DOC", "XMLTYPE", "4000", "", "Y", ""}, 0, suppress);
  MapColumnType(lists, {"NAME", "CHAR", "3", "", "Y", ""}, 1, suppress);
  EXPECT_EQ(lists.SourceSelectList, "\"NAME\"");
  EXPECT_EQ(lists.TextColumnTypes[0], "CHAR");
  EXPECT_EQ(lists.SkippedColumnNames[0], "DOC");
}

// The next table starts clean, also when the previous one was never copied (its select list
// was not emptied by the row copy).
TEST(ColumnListsTest, ResetAndSizeForgetThePreviousTable) {
  TableColumnLists lists;
  SizeColumnLists(lists, 2);
  bool suppress = false;
  MapColumnType(lists, {"DOC", "XMLTYPE", "4000", "", "Y", ""}, 0, suppress);
  MapColumnType(lists, {"NAME", "VARCHAR2", "3", "", "Y", ""}, 1, suppress);

  ResetColumnLists(lists);
  SizeColumnLists(lists, 3);
  EXPECT_EQ(lists.SourceSelectList, "");
  EXPECT_EQ(lists.TargetColumnList, "");
  EXPECT_FALSE(lists.HasSkippedColumns);
  EXPECT_EQ(lists.TextColumnTypes, std::vector<std::string>(4));
  EXPECT_EQ(lists.SkippedColumnNames, std::vector<std::string>(4));
}

}  // namespace
}  // namespace skerrow
