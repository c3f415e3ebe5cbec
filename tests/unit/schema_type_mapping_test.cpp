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
                    MappingCase{"BINARY_DOUBLE", "DOUBLE", kRaw, "", true},
                    MappingCase{"LONG RAW", "LONGBLOB", "\"C\"", "", false},
                    MappingCase{"XMLType", "varchar(100)", "", "", true},
                    MappingCase{"XMLTYPE", "varchar(100)", "", "", true},
                    MappingCase{"xmltype", "VARCHAR", "\"C\"", "", false},
                    MappingCase{"HTTPURITYPE", "varchar(255)", "w.\"C\".getUrl()", "HTTPURITYPE",
                                false},
                    MappingCase{"URITYPE", "varchar(255)", "w.\"C\".getUrl()", "URITYPE", false},
                    MappingCase{"DBURITYPE", "VARCHAR", "\"C\"", "", false},
                    MappingCase{"BFILE", "varchar(100)", "", "", true},
                    MappingCase{"BLOB", "LONGBLOB", "\"C\"", "", false},
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

struct NumberCase {
  std::string dataType;
  std::string precision;
  std::string scale;
  std::string targetType;
  ValueForm form;
  bool keptDouble;  // a precision DOUBLE cannot hold, kept DOUBLE with a reason
};

// NUMBER's precision and scale decide between DOUBLE and an exact DECIMAL.
TEST(TypeMappingTest, NumbersGetAnExactTypeWhereDoubleCannotHoldThem) {
  using enum ValueForm;
  const std::vector<NumberCase> cases = {
      {"NUMBER", "", "", "DOUBLE", ApproximateNumber, false},  // plain NUMBER
      {"NUMBER", "10", "0", "DOUBLE", ApproximateNumber, false},
      {"NUMBER", "15", "2", "DOUBLE", ApproximateNumber, false},
      {"NUMBER", "16", "0", "DECIMAL(16,0)", Default, false},
      {"NUMBER", "19", "0", "DECIMAL(19,0)", Default, false},
      {"NUMBER", "18", "4", "DECIMAL(18,4)", Default, false},
      {"NUMBER", "38", "0", "DECIMAL(38,0)", Default, false},
      {"NUMBER", "38", "30", "DECIMAL(38,30)", Default, false},
      {"NUMBER", "20", "25", "DECIMAL(25,25)", Default, false},  // scale above precision
      {"NUMBER", "20", "-3", "DECIMAL(23,0)", Default, false},   // rounds to thousands
      {"NUMBER", "38", "-84", "DOUBLE", ApproximateNumber, true},
      {"NUMBER", "38", "31", "DOUBLE", ApproximateNumber, true},
      {"NUMBER", "", "0", "DECIMAL(38,0)", Default, false},  // INTEGER, NUMBER(*,0)
      {"NUMBER", "", "3", "DECIMAL(38,3)", Default, false},  // NUMBER(*,3)
      {" NUMBER ", "19", "0", "DECIMAL(19,0)", Default, false},
      {"FLOAT", "126", "", "DOUBLE", ApproximateNumber, false},
      {"PHONE_NUMBER_T", "", "", "DOUBLE", ApproximateNumber, false},
  };
  for (const auto& c : cases) {
    ColumnDescriptor column{"C", c.dataType, "22", c.precision, "Y", "", c.scale, "0"};
    const NumberTarget target = NumberTargetOf(column);
    const std::string label = c.dataType + "(" + c.precision + "," + c.scale + ")";
    EXPECT_EQ(target.keptDoubleBecause.has_value(), c.keptDouble) << label;
    TableColumnLists lists;
    SizeColumnLists(lists, 1);
    bool suppress = true;
    EXPECT_EQ(MapColumnType(lists, column, 0, suppress), c.targetType) << label;
    EXPECT_FALSE(suppress) << label;
    EXPECT_EQ(lists.ValueForms, std::vector<ValueForm>{c.form}) << label;
  }
}

// Each selected column gets its value form at its selected position.
TEST(TypeMappingTest, ValueFormsFollowTheSelectedColumns) {
  TableColumnLists lists;
  SizeColumnLists(lists, 6);
  bool suppress = false;
  MapColumnType(lists, {"B", "BLOB", "4000", "", "Y", ""}, 0, suppress);
  MapColumnType(lists, {"X", "XMLTYPE", "4000", "", "Y", ""}, 1, suppress);
  MapColumnType(lists, {"C", "CLOB", "4000", "", "Y", ""}, 2, suppress);
  MapColumnType(lists, {"F", "BINARY_FLOAT", "4", "", "Y", ""}, 3, suppress);
  MapColumnType(lists, {"D", "BINARY_DOUBLE", "8", "", "Y", ""}, 4, suppress);
  MapColumnType(lists, {"L", "LONG RAW", "0", "", "Y", ""}, 5, suppress);
  using enum ValueForm;
  EXPECT_EQ(lists.ValueForms,
            (std::vector<ValueForm>{Binary, LobText, BinaryFloat, BinaryDouble, Binary}));
  EXPECT_EQ(lists.SelectedColumnNames, (std::vector<std::string>{"B", "C", "F", "D", "L"}));
}

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
  EXPECT_TRUE(lists.ValueForms.empty());
  EXPECT_EQ(lists.SourceSelectList, "");
  EXPECT_EQ(lists.TargetColumnList, "");
  EXPECT_FALSE(lists.HasSkippedColumns);
  EXPECT_EQ(lists.TextColumnTypes, std::vector<std::string>(4));
  EXPECT_EQ(lists.SkippedColumnNames, std::vector<std::string>(4));
}

}  // namespace
}  // namespace skerrow
