#include <gtest/gtest.h>
#include <mysql.h>

#include <algorithm>
#include <string>
#include <vector>

#include "transfer_copy_fixture.h"

namespace skerrow {
namespace {

using test::BreakStoredValue;
using test::Column;
using test::kId;
using test::MySqlProbe;
using test::Read;
using test::ResultRow;
using test::Row;

// Every case runs through both ways of sending rows: many rows per statement and one
// statement per row. Their outcomes must not differ.
class TransferCopyTest : public test::TransferCopyFixture,
                         public ::testing::WithParamInterface<RowWriteMode> {
 protected:
  RowCopyOptions Options() const {
    RowCopyOptions options;
    options.writeMode = GetParam();
    return options;
  }
  bool Batched() const { return GetParam() == RowWriteMode::Batched; }
};

TEST_P(TransferCopyTest, ARefusedRowIsReportedWithTheServersMessageAndTheOthersArrive) {
  if (!Ready()) return;
  PrepareTable("NOTES", {kId, {"NOTE", "VARCHAR2", 20, "VARCHAR(5)", Read::Plain, true}},
               {{Variant::FromDecimal("1"), Variant::FromText("short")},
                {Variant::FromDecimal("2"), Variant::FromText("far too long")},
                {Variant::FromDecimal("3"), Variant::FromText("fine")}});
  OpenConnections();
  const TableReport report = Copy("NOTES", Options());

  EXPECT_EQ(TargetRows("NOTES", "ID"), (std::vector<ResultRow>{{"1", "short"}, {"3", "fine"}}));
  EXPECT_EQ(report.rowsRead, 3);
  EXPECT_EQ(report.rowsWritten, 2);
  EXPECT_EQ(report.rowsRefused, 1);
  ASSERT_EQ(report.refusalMessages.size(), 1u);
  EXPECT_NE(report.refusalMessages[0].find("Row 2"), std::string::npos);
  EXPECT_NE(report.refusalMessages[0].find("Data too long for column 'NOTE'"), std::string::npos)
      << report.refusalMessages[0];
  EXPECT_FALSE(report.abandoned);
  EXPECT_FALSE(report.Succeeded());
  EXPECT_EQ(state_.ConvertedTableCount, 2);
  EXPECT_TRUE(state_.ColumnLists.SourceSelectList.empty());
  // The refused row still counts as sent, and no message box interrupts the copy.
  const auto calls = ProgressCalls();
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(calls[calls.size() - 3],
            "SetProgressTitle(Converting Table: [NOTES] 3 rows converted...)");
  EXPECT_EQ(calls[calls.size() - 2], "ShowTablesConverted(2,3)");
  EXPECT_EQ(calls.back(), "StepTablesProgress()");
  EXPECT_TRUE(window_.Messages().empty());
}

TEST_P(TransferCopyTest, OnlyTheFirstTenRefusalMessagesAreKept) {
  if (!Ready()) return;
  std::vector<Row> rows;
  for (int i = 1; i <= 12; ++i)
    rows.push_back({Variant::FromDecimal(std::to_string(i)), Variant::FromText("too long")});
  PrepareTable("ALLBAD", {kId, {"V", "VARCHAR2", 20, "VARCHAR(2)", Read::Plain, true}}, rows);
  OpenConnections();
  const TableReport report = Copy("ALLBAD", Options());
  EXPECT_EQ(report.rowsRefused, 12);
  EXPECT_EQ(report.rowsWritten, 0);
  EXPECT_EQ(report.refusalMessages.size(), TableReport::kMaxRefusalMessages);
}

TEST_P(TransferCopyTest, TablesThatYieldNoRowsEndWithZeroRowsConverted) {
  if (!Ready()) return;
  struct Case {
    const char* table;
    std::vector<Column> columns;
    std::vector<Row> rows;
    std::string selectList;  // replaces the mapped one when set
    bool abandoned;
    const char* reasonPart;
  };
  const Column doc{"DOC", "XMLTYPE", 4000, "varchar(100)", Read::Skipped};
  const Column file{"F", "BFILE", 530, "varchar(100)", Read::Skipped};
  const std::vector<Case> cases = {
      {"EMPTY", {kId}, {}, "", false, ""},
      {"BADQUERY", {kId}, {{Variant::FromDecimal("1")}}, "\"NO_SUCH_COLUMN\"", true, "ORA-00904"},
      {"XMLONLY", {doc, file}, {{Variant::Null(), Variant::Null()}}, "", true, "could not be read"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.table);
    PrepareTable(c.table, c.columns, c.rows);
    if (!c.selectList.empty()) state_.ColumnLists.SourceSelectList = c.selectList;
    OpenConnections();
    const std::int32_t before = state_.ConvertedTableCount;
    const auto callsBefore = ProgressCalls().size();
    const TableReport report = Copy(c.table, Options());

    EXPECT_TRUE(TargetRows(c.table, c.columns[0].name).empty());
    EXPECT_EQ(report.rowsWritten, 0);
    EXPECT_EQ(report.abandoned.has_value(), c.abandoned);
    if (c.abandoned && report.abandoned) {
      EXPECT_NE(report.abandoned->find(c.reasonPart), std::string::npos) << *report.abandoned;
    }
    EXPECT_EQ(state_.ConvertedTableCount, before + 1);
    EXPECT_TRUE(state_.ColumnLists.SourceSelectList.empty());
    const auto calls = ProgressCalls();
    const std::vector<std::string> expected = {
        "SetProgressTitle(Converting Table: [" + std::string(c.table) + "] 0 rows converted...)",
        "ShowTablesConverted(" + std::to_string(before + 1) + ",3)", "StepTablesProgress()"};
    EXPECT_EQ(std::vector<std::string>(calls.begin() + static_cast<long>(callsBefore), calls.end()),
              expected);
  }
  EXPECT_TRUE(window_.Messages().empty());
}

TEST_P(TransferCopyTest, SkippedColumnsGetTheEmptyTextInEveryRow) {
  if (!Ready()) return;
  PrepareTable("DOCS",
               {kId,
                {"BODY", "XMLTYPE", 4000, "varchar(100)", Read::Skipped},
                {"NAME", "VARCHAR2", 30, "VARCHAR(30)", Read::Plain, true}},
               {{Variant::FromDecimal("1"), Variant::FromText("<a/>"), Variant::FromText("one")},
                {Variant::FromDecimal("2"), Variant::FromText("<b/>"), Variant::FromText("two")}});
  OpenConnections();
  const TableReport report = Copy("DOCS", Options());
  EXPECT_EQ(TargetRows("DOCS", "ID"), (std::vector<ResultRow>{{"1", "", "one"}, {"2", "", "two"}}));
  EXPECT_TRUE(report.Succeeded());
}

TEST_P(TransferCopyTest, QuotesBackslashesAndBackticksInNamesAndValuesLandExactly) {
  if (!Ready()) return;
  const std::string table = "We\\ird'Ta`ble\"";
  const std::vector<Column> columns = {
      {"I\\D", "NUMBER", 22, "DOUBLE"},
      {"it's", "VARCHAR2", 100, "VARCHAR(100)", Read::Plain, true},
      {"back`tick\"", "CLOB", 4000, "LONGTEXT", Read::RawCast},
  };
  const std::vector<std::string> values = {
      "a\\b", "it's",       "`x`",  "\\'; DROP TABLE t; --",        "\"q\"", "tab\tcr\r",
      "\\",   "ends in \\", "?\?!", "\xE2\x82\xAC \xF0\x9F\x98\x80"};
  std::vector<Row> rows;
  for (std::size_t i = 0; i < values.size(); ++i)
    rows.push_back({Variant::FromDecimal(std::to_string(i + 1)), Variant::FromText(values[i]),
                    Variant::FromText(values[i])});
  PrepareTable(table, columns, rows);
  OpenConnections();
  const TableReport report = Copy(table, Options());

  EXPECT_TRUE(report.Succeeded()) << report.refusalMessages.size();
  for (const auto& message : report.refusalMessages) ADD_FAILURE() << message;
  const auto landed = TargetRows(table, "I\\D");
  ASSERT_EQ(landed.size(), values.size());
  for (std::size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(landed[i][1], values[i]) << i;
    EXPECT_EQ(landed[i][2], values[i]) << i;
  }
}

TEST_P(TransferCopyTest,
       AValueThatCannotBeConvertedShowsWhyKeepsTheRowsBeforeAndTheNextTableConverts) {
  if (!Ready()) return;
  std::vector<Row> rows;
  for (int i = 1; i <= 10; ++i) rows.push_back({Variant::FromDecimal(std::to_string(i))});
  PrepareTable("NEXT", {kId}, {{Variant::FromDecimal("1")}});
  PrepareTable("BROKEN", {kId}, rows);
  BreakStoredValue(root_ / service_, "BROKEN", "ID", "8", "eight");
  OpenConnections();
  const TableReport broken = Copy("BROKEN", Options());

  EXPECT_EQ(TargetRows("BROKEN", "ID"),
            (std::vector<ResultRow>{{"1"}, {"2"}, {"3"}, {"4"}, {"5"}, {"6"}, {"7"}}));
  EXPECT_EQ(broken.rowsWritten, 7);
  ASSERT_TRUE(broken.abandoned);
  EXPECT_NE(broken.abandoned->find("row 8"), std::string::npos) << *broken.abandoned;
  const auto messages = window_.Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].caption, "skerrow");
  EXPECT_EQ(messages[0].icon, MessageIcon::Warning);
  EXPECT_EQ(messages[0].buttons, MessageButtons::Ok);
  EXPECT_EQ(messages[0].text.rfind("\n", 0), 0u);  // the source error's own format
  EXPECT_NE(messages[0].text.find("\"eight\""), std::string::npos) << messages[0].text;
  EXPECT_EQ(state_.ConvertedTableCount, 2);
  // No summary and no step for the abandoned table.
  EXPECT_EQ(ProgressCalls().back(), "ShowMessage(" + messages[0].text + "|skerrow|Warning|Ok)");

  SetColumnLists({kId});
  const TableReport next = Copy("NEXT", Options());
  EXPECT_TRUE(next.Succeeded());
  EXPECT_EQ(TargetRows("NEXT", "ID"), (std::vector<ResultRow>{{"1"}}));
  EXPECT_EQ(ProgressCalls().back(), "StepTablesProgress()");
  EXPECT_EQ(state_.ConvertedTableCount, 3);
}

TEST_P(TransferCopyTest, EveryTypeFamilyArrivesSoTheSourceValueCanBeRecovered) {
  if (!Ready()) return;
  struct Family {
    Column column;
    Variant source;
    std::optional<std::string> held;  // what MySQL holds afterwards
  };
  const std::string binary("\x00\xFF\x10\x0A", 4);
  const std::vector<Family> families = {
      {{"N", "NUMBER", 22, "DOUBLE"}, Variant::FromDecimal("-1234.5"), "-1234.5"},
      {{"V", "VARCHAR2", 60, "VARCHAR(60)", Read::Plain, true},
       Variant::FromText("  it's \\ `x` \xE2\x82\xAC?  "),
       "  it's \\ `x` \xE2\x82\xAC?  "},
      {{"D", "DATE", 7, "DATETIME"},
       Variant::FromDate({2009, 7, 4, 8, 5, 0}),
       "2009-07-04 08:05:00"},
      {{"C", "CLOB", 4000, "LONGTEXT", Read::RawCast},
       Variant::FromText("<?xml version='1.0'?>\n<r a=\"b\"/>"),
       "<?xml version='1.0'?>\n<r a=\"b\"/>"},
      {{"R", "RAW", 16, "LONGTEXT", Read::RawCast}, Variant::FromBytes(binary), "00FF100A"},
      {{"B", "BLOB", 4000, "LONGTEXT"}, Variant::FromBytes(binary), "00FF100A"},
      {{"BT", "BLOB", 4000, "LONGTEXT"}, Variant::FromBytes("plain text"), "plain text"},
      {{"LR", "LONG RAW", 0, "LONGTEXT"}, Variant::FromBytes("\xFE\x01"), "FE01"},
      {{"BD", "BINARY_DOUBLE", 8, "float"}, Variant::FromDouble(1.5), "1.5"},
  };
  std::vector<Column> columns = {kId};
  Row values = {Variant::FromDecimal("1")};
  Row nulls = {Variant::FromDecimal("2")};
  for (const auto& family : families) {
    columns.push_back(family.column);
    values.push_back(family.source);
    nulls.push_back(Variant::Null());
  }
  PrepareTable("FAMILIES", columns, {values, nulls});
  OpenConnections();
  const TableReport report = Copy("FAMILIES", Options());
  for (const auto& message : report.refusalMessages) ADD_FAILURE() << message;

  const auto landed = TargetRows("FAMILIES", "ID");
  ASSERT_EQ(landed.size(), 2u);
  for (std::size_t i = 0; i < families.size(); ++i) {
    EXPECT_EQ(landed[0][i + 1], families[i].held) << families[i].column.oracleType;
    EXPECT_EQ(landed[1][i + 1], std::nullopt) << families[i].column.oracleType;
  }
}

// The connection is killed as soon as the first rows are reported: one row in, or, with
// statements of 10 rows, while the second statement is on its way or just done.
TEST_P(TransferCopyTest, ALostServerConnectionStopsTheTableAndSaysSo) {
  if (!Ready()) return;
  std::vector<Row> rows;
  for (int i = 1; i <= 30; ++i) rows.push_back({Variant::FromDecimal(std::to_string(i))});
  PrepareTable("LOST", {kId}, rows);
  OpenConnections();
  const unsigned long connectionId = mysql_thread_id(state_.Target.Handle());
  MySqlProbe killer(*sandbox_);
  bool killed = false;
  window_.SetCallHook([&](const std::string& call) {
    if (!killed && call.rfind("SetProgressTitle(", 0) == 0) {
      killed = true;
      EXPECT_TRUE(killer.Execute("KILL CONNECTION " + std::to_string(connectionId)))
          << killer.Error();
    }
  });
  RowCopyOptions options = Options();
  options.maxStatementRows = 10;
  const TableReport report = Copy("LOST", options);
  window_.SetCallHook(nullptr);

  EXPECT_TRUE(report.connectionLost);
  EXPECT_EQ(report.rowsRefused, 0);
  ASSERT_TRUE(report.abandoned);
  EXPECT_NE(report.abandoned->find("connection to MySQL was lost during table LOST"),
            std::string::npos)
      << *report.abandoned;
  EXPECT_NE(
      report.abandoned->find(std::to_string(report.rowsWritten) + " of its rows were written"),
      std::string::npos)
      << *report.abandoned;
  const std::size_t landed = TargetRows("LOST", "ID").size();
  if (Batched()) {
    // Rows 11 to 20 were sent before the kill and may have been stored in part; nothing
    // after them was stored, and no statement was sent once the loss was seen.
    EXPECT_TRUE(report.rowsWritten == 10 || report.rowsWritten == 20) << report.rowsWritten;
    EXPECT_GE(landed, static_cast<std::size_t>(report.rowsWritten));
    EXPECT_LE(landed, 20u);
    EXPECT_NE(report.abandoned->find(" to " + std::to_string(report.rowsWritten + 10) +
                                     " were on their way"),
              std::string::npos)
        << *report.abandoned;
  } else {
    EXPECT_EQ(report.rowsWritten, 1);
    EXPECT_EQ(landed, 1u);
  }
  // The table did not finish: no summary, no step.
  for (const auto& call : ProgressCalls()) {
    EXPECT_EQ(call.rfind("ShowTablesConverted(", 0), std::string::npos) << call;
    EXPECT_EQ(call.rfind("StepTablesProgress(", 0), std::string::npos) << call;
  }
}

TEST_P(TransferCopyTest, ALargeTableIsFetchedInBlocks) {
  if (!Ready()) return;
  constexpr int kRows = 200000;
  std::vector<Row> rows;
  rows.reserve(kRows);
  for (int i = 1; i <= kRows; ++i)
    rows.push_back({Variant::FromDecimal(std::to_string(i)),
                    Variant::FromText("row number " + std::to_string(i))});
  PrepareTable("BIG", {kId, {"V", "VARCHAR2", 40, "VARCHAR(40)", Read::Plain, true}}, rows);
  rows.clear();
  rows.shrink_to_fit();
  OpenConnections();

  std::vector<std::size_t> blocks;
  RowCopyOptions options = Options();
  options.onRowsFetched = [&](std::size_t fetched) { blocks.push_back(fetched); };
  const TableReport report = Copy("BIG", options);

  EXPECT_EQ(report.rowsRead, kRows);
  EXPECT_EQ(report.rowsWritten, kRows);
  EXPECT_TRUE(report.Succeeded());
  // Never more than one block of rows is held, whatever the table's size.
  ASSERT_FALSE(blocks.empty());
  EXPECT_LE(*std::max_element(blocks.begin(), blocks.end()),
            static_cast<std::size_t>(RowCopyOptions{}.fetchRows));
  EXPECT_GE(blocks.size(), static_cast<std::size_t>(kRows / RowCopyOptions{}.fetchRows));
  EXPECT_EQ(probe_->Scalar("SELECT COUNT(*) FROM " + QuoteMySqlIdentifier(database_) + ".`BIG`"),
            std::to_string(kRows));
  EXPECT_EQ(probe_->Scalar("SELECT V FROM " + QuoteMySqlIdentifier(database_) +
                           ".`BIG` WHERE ID = 123456"),
            "row number 123456");
  EXPECT_EQ(window_.Title(), "Converting Table: [BIG] 200000 rows converted...");
}

std::string WriteModeName(const ::testing::TestParamInfo<RowWriteMode>& mode) {
  return mode.param == RowWriteMode::Batched ? "Batched" : "OneStatementPerRow";
}

INSTANTIATE_TEST_SUITE_P(BothWriteModes, TransferCopyTest,
                         ::testing::Values(RowWriteMode::Batched, RowWriteMode::OneStatementPerRow),
                         WriteModeName);

}  // namespace
}  // namespace skerrow
