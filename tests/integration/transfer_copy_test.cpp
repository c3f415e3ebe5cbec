#include <gtest/gtest.h>
#include <mysql.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/source_error.h"
#include "oracle/embedded_instance.h"
#include "support/mysql_sandbox.h"
#include "support/recording_window.h"
#include "transfer/copy_table_rows.h"
#include "transfer/row_statements.h"
#include "workflow/control_ids.h"
#include "workflow/conversion_state.h"
#include "workflow/run_report.h"

namespace skerrow {
namespace {

using test::MySqlProbe;
using test::RecordingWindow;
using test::RequireSandbox;
using test::ResultRow;

// How the row query reads a column, as the type mapping decides it.
enum class Read { Plain, RawCast, Skipped };

struct Column {
  std::string name;
  std::string oracleType;  // DATA_TYPE
  int length = 0;
  std::string mysqlType;  // as the created target table declares it
  Read read = Read::Plain;
  bool textLike = false;  // gets its DATA_TYPE in TextColumnTypes
};

using Row = std::vector<Variant>;

// A source instance with user SCOTT, a scratch MySQL database and a state whose connections
// are open on both, as the connection step leaves them.
class TransferCopyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sandbox_ = RequireSandbox();
    if (!sandbox_) return;
    probe_ = std::make_unique<MySqlProbe>(*sandbox_);
    ASSERT_TRUE(probe_->Connected()) << probe_->Error();
    database_ = probe_->ScratchDatabase("transfer");
    ASSERT_TRUE(probe_->Execute("CREATE DATABASE " + QuoteMySqlIdentifier(database_) +
                                " CHARACTER SET utf8mb4"))
        << probe_->Error();

    service_ = "XFER" + std::to_string(::getpid());
    root_ =
        std::filesystem::temp_directory_path() / ("skerrow-transfer-" + std::to_string(::getpid()));
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_);
    ::setenv("SKERROW_ORACLE_PATH", root_.c_str(), 1);
    instance_ = oracle::EmbeddedInstance::Create(root_ / service_);
    instance_->CreateUser("SCOTT", "tiger");
    instance_->SetCurrentSchema("SCOTT");

    window_.SetField(kOracleUserEdit, "scott");
    // Blanks around the name address the same database.
    window_.SetField(kDestinationNameEdit, "  " + database_ + " ");
    state_.SelectedTableCount = 3;
    state_.ConvertedTableCount = 1;
  }

  void TearDown() override {
    instance_.reset();
    if (!root_.empty()) std::filesystem::remove_all(root_);
  }

  bool Ready() const { return sandbox_.has_value() && instance_ != nullptr; }

  // Creates the source table with its rows and the target table, and leaves the column lists
  // as the type mapping leaves them for this table.
  void PrepareTable(const std::string& table, const std::vector<Column>& columns,
                    const std::vector<Row>& rows) {
    std::vector<oracle::ColumnSpec> specs;
    std::vector<std::string> names;
    for (const auto& column : columns) {
      oracle::ColumnSpec spec;
      spec.name = column.name;
      spec.dataType = column.oracleType;
      spec.dataLength = column.length;
      if (column.textLike) {
        spec.charLength = column.length;
        spec.charUsed = "B";
      }
      specs.push_back(spec);
      names.push_back(column.name);
    }
    instance_->CreateTable("SCOTT", table, specs, {});
    for (const auto& row : rows) instance_->InsertRow("SCOTT", table, names, row);
    instance_->Commit();

    std::string create = "CREATE TABLE " + QuoteMySqlIdentifier(database_) + "." +
                         QuoteMySqlIdentifier(table) + " (";
    for (std::size_t i = 0; i < columns.size(); ++i)
      create +=
          (i ? ", " : "") + QuoteMySqlIdentifier(columns[i].name) + " " + columns[i].mysqlType;
    ASSERT_TRUE(probe_->Execute(create + ") ENGINE=MyISAM CHARACTER SET utf8mb4"))
        << probe_->Error();

    SetColumnLists(columns);
  }

  // The column lists as the type mapping leaves them for a table of these columns.
  void SetColumnLists(const std::vector<Column>& columns) {
    state_.SourceSelectList.clear();
    state_.TargetColumnList.clear();
    state_.SelectedColumnNames.clear();
    state_.TextColumnTypes.assign(columns.size() + 1, "");
    state_.SkippedColumnNames.assign(columns.size() + 1, "");
    state_.HasSkippedColumns = false;
    std::size_t selected = 0;
    for (std::size_t i = 0; i < columns.size(); ++i) {
      const auto& column = columns[i];
      const std::string quoted = QuoteOracleIdentifier(column.name);
      if (column.read == Read::Skipped) {
        state_.SkippedColumnNames[i] = column.name;
        state_.HasSkippedColumns = true;
        continue;
      }
      if (!state_.SourceSelectList.empty()) {
        state_.SourceSelectList += ",";
        state_.TargetColumnList += ",";
      }
      state_.SourceSelectList +=
          column.read == Read::RawCast ? "utl_raw.cast_to_raw(" + quoted + ")" : quoted;
      state_.TargetColumnList += quoted;
      state_.SelectedColumnNames.push_back(column.name);
      if (column.textLike) state_.TextColumnTypes[selected] = column.oracleType;
      ++selected;
    }
  }

  void OpenConnections() {
    state_.Source.Create();
    state_.Source.Open("Provider=MSDAORA.1;Data Source=" + service_ +
                           ";Database=scott;User ID=scott;Password=tiger,",
                       "scott", "tiger", kConnectUnspecified);
    state_.Target.Init();
    ASSERT_TRUE(state_.Target.Connect(sandbox_->host, sandbox_->user, sandbox_->password))
        << state_.Target.LastErrorMessage();
  }

  TableReport Copy(const std::string& table, const RowCopyOptions& options = {}) {
    TableReport report;
    report.sourceName = table;
    report.createdName = table;
    CopyTableRows(state_, window_, table, table, report, options);
    return report;
  }

  std::vector<ResultRow> TargetRows(const std::string& table, const std::string& orderBy) {
    auto rows =
        probe_->Query("SELECT * FROM " + QuoteMySqlIdentifier(database_) + "." +
                      QuoteMySqlIdentifier(table) + " ORDER BY " + QuoteMySqlIdentifier(orderBy));
    EXPECT_TRUE(rows) << probe_->Error();
    return rows.value_or(std::vector<ResultRow>{});
  }

  // The window's calls that show the table's progress, in order.
  std::vector<std::string> ProgressCalls() const {
    std::vector<std::string> calls;
    for (const auto& call : window_.Actions())
      if (call.rfind("SetProgressTitle(", 0) == 0 || call.rfind("ShowTablesConverted(", 0) == 0 ||
          call.rfind("StepTablesProgress(", 0) == 0 || call.rfind("ShowMessage(", 0) == 0)
        calls.push_back(call);
    return calls;
  }

  std::optional<test::MySqlSandbox> sandbox_;
  std::unique_ptr<MySqlProbe> probe_;
  std::string database_;
  std::string service_;
  std::filesystem::path root_;
  std::unique_ptr<oracle::EmbeddedInstance> instance_;
  RecordingWindow window_;
  ConversionState state_;
};

// Overwrites one stored value behind the stand-in's back, giving a value no conversion can
// render (the stand-in itself never stores one).
void BreakStoredValue(const std::filesystem::path& instanceDirectory, const std::string& table,
                      const std::string& column, const std::string& from, const std::string& to) {
  for (const auto& entry : std::filesystem::directory_iterator(instanceDirectory / "schemas")) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(entry.path().c_str(), &db), SQLITE_OK);
    std::unique_ptr<sqlite3, decltype(&sqlite3_close)> closer(db, sqlite3_close);
    const std::string sql = "UPDATE \"" + table + "\" SET \"" + column + "\" = '" + to +
                            "' WHERE \"" + column + "\" = '" + from + "'";
    sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
  }
}

const Column kId{"ID", "NUMBER", 22, "DOUBLE"};

TEST_F(TransferCopyTest, ARefusedRowIsReportedWithTheServersMessageAndTheOthersArrive) {
  if (!Ready()) return;
  PrepareTable("NOTES", {kId, {"NOTE", "VARCHAR2", 20, "VARCHAR(5)", Read::Plain, true}},
               {{Variant::FromDecimal("1"), Variant::FromText("short")},
                {Variant::FromDecimal("2"), Variant::FromText("far too long")},
                {Variant::FromDecimal("3"), Variant::FromText("fine")}});
  OpenConnections();
  const TableReport report = Copy("NOTES");

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
  EXPECT_TRUE(state_.SourceSelectList.empty());
  // The refused row still counts as sent, and no message box interrupts the copy.
  const auto calls = ProgressCalls();
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(calls[calls.size() - 3],
            "SetProgressTitle(Converting Table: [NOTES] 3 rows converted...)");
  EXPECT_EQ(calls[calls.size() - 2], "ShowTablesConverted(2,3)");
  EXPECT_EQ(calls.back(), "StepTablesProgress()");
  EXPECT_TRUE(window_.Messages().empty());
}

TEST_F(TransferCopyTest, OnlyTheFirstTenRefusalMessagesAreKept) {
  if (!Ready()) return;
  std::vector<Row> rows;
  for (int i = 1; i <= 12; ++i)
    rows.push_back({Variant::FromDecimal(std::to_string(i)), Variant::FromText("too long")});
  PrepareTable("ALLBAD", {kId, {"V", "VARCHAR2", 20, "VARCHAR(2)", Read::Plain, true}}, rows);
  OpenConnections();
  const TableReport report = Copy("ALLBAD");
  EXPECT_EQ(report.rowsRefused, 12);
  EXPECT_EQ(report.rowsWritten, 0);
  EXPECT_EQ(report.refusalMessages.size(), TableReport::kMaxRefusalMessages);
}

TEST_F(TransferCopyTest, TablesThatYieldNoRowsEndWithZeroRowsConverted) {
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
    if (!c.selectList.empty()) state_.SourceSelectList = c.selectList;
    OpenConnections();
    const std::int32_t before = state_.ConvertedTableCount;
    const auto callsBefore = ProgressCalls().size();
    const TableReport report = Copy(c.table);

    EXPECT_TRUE(TargetRows(c.table, c.columns[0].name).empty());
    EXPECT_EQ(report.rowsWritten, 0);
    EXPECT_EQ(report.abandoned.has_value(), c.abandoned);
    if (c.abandoned && report.abandoned) {
      EXPECT_NE(report.abandoned->find(c.reasonPart), std::string::npos) << *report.abandoned;
    }
    EXPECT_EQ(state_.ConvertedTableCount, before + 1);
    EXPECT_TRUE(state_.SourceSelectList.empty());
    const auto calls = ProgressCalls();
    const std::vector<std::string> expected = {
        "SetProgressTitle(Converting Table: [" + std::string(c.table) + "] 0 rows converted...)",
        "ShowTablesConverted(" + std::to_string(before + 1) + ",3)", "StepTablesProgress()"};
    EXPECT_EQ(std::vector<std::string>(calls.begin() + static_cast<long>(callsBefore), calls.end()),
              expected);
  }
  EXPECT_TRUE(window_.Messages().empty());
}

TEST_F(TransferCopyTest, SkippedColumnsGetTheEmptyTextInEveryRow) {
  if (!Ready()) return;
  PrepareTable("DOCS",
               {kId,
                {"BODY", "XMLTYPE", 4000, "varchar(100)", Read::Skipped},
                {"NAME", "VARCHAR2", 30, "VARCHAR(30)", Read::Plain, true}},
               {{Variant::FromDecimal("1"), Variant::FromText("<a/>"), Variant::FromText("one")},
                {Variant::FromDecimal("2"), Variant::FromText("<b/>"), Variant::FromText("two")}});
  OpenConnections();
  const TableReport report = Copy("DOCS");
  EXPECT_EQ(TargetRows("DOCS", "ID"), (std::vector<ResultRow>{{"1", "", "one"}, {"2", "", "two"}}));
  EXPECT_TRUE(report.Succeeded());
}

TEST_F(TransferCopyTest, QuotesBackslashesAndBackticksInNamesAndValuesLandExactly) {
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
  const TableReport report = Copy(table);

  EXPECT_TRUE(report.Succeeded()) << report.refusalMessages.size();
  for (const auto& message : report.refusalMessages) ADD_FAILURE() << message;
  const auto landed = TargetRows(table, "I\\D");
  ASSERT_EQ(landed.size(), values.size());
  for (std::size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(landed[i][1], values[i]) << i;
    EXPECT_EQ(landed[i][2], values[i]) << i;
  }
}

TEST_F(TransferCopyTest,
       AValueThatCannotBeConvertedShowsWhyKeepsTheRowsBeforeAndTheNextTableConverts) {
  if (!Ready()) return;
  std::vector<Row> rows;
  for (int i = 1; i <= 10; ++i) rows.push_back({Variant::FromDecimal(std::to_string(i))});
  PrepareTable("NEXT", {kId}, {{Variant::FromDecimal("1")}});
  PrepareTable("BROKEN", {kId}, rows);
  BreakStoredValue(root_ / service_, "BROKEN", "ID", "8", "eight");
  OpenConnections();
  const TableReport broken = Copy("BROKEN");

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
  const TableReport next = Copy("NEXT");
  EXPECT_TRUE(next.Succeeded());
  EXPECT_EQ(TargetRows("NEXT", "ID"), (std::vector<ResultRow>{{"1"}}));
  EXPECT_EQ(ProgressCalls().back(), "StepTablesProgress()");
  EXPECT_EQ(state_.ConvertedTableCount, 3);
}

TEST_F(TransferCopyTest, EveryTypeFamilyArrivesSoTheSourceValueCanBeRecovered) {
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
  const TableReport report = Copy("FAMILIES");
  for (const auto& message : report.refusalMessages) ADD_FAILURE() << message;

  const auto landed = TargetRows("FAMILIES", "ID");
  ASSERT_EQ(landed.size(), 2u);
  for (std::size_t i = 0; i < families.size(); ++i) {
    EXPECT_EQ(landed[0][i + 1], families[i].held) << families[i].column.oracleType;
    EXPECT_EQ(landed[1][i + 1], std::nullopt) << families[i].column.oracleType;
  }
}

TEST_F(TransferCopyTest, ALostServerConnectionStopsTheTableAndSaysSo) {
  if (!Ready()) return;
  std::vector<Row> rows;
  for (int i = 1; i <= 5; ++i) rows.push_back({Variant::FromDecimal(std::to_string(i))});
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
  const TableReport report = Copy("LOST");
  window_.SetCallHook(nullptr);

  EXPECT_TRUE(report.connectionLost);
  EXPECT_EQ(report.rowsWritten, 1);
  EXPECT_EQ(report.rowsRefused, 0);
  ASSERT_TRUE(report.abandoned);
  EXPECT_NE(report.abandoned->find("connection to MySQL was lost during table LOST"),
            std::string::npos)
      << *report.abandoned;
  EXPECT_NE(report.abandoned->find("1 of its rows were written"), std::string::npos);
  EXPECT_EQ(TargetRows("LOST", "ID").size(), 1u);
  // The table did not finish: no summary, no step.
  for (const auto& call : ProgressCalls()) {
    EXPECT_EQ(call.rfind("ShowTablesConverted(", 0), std::string::npos) << call;
    EXPECT_EQ(call.rfind("StepTablesProgress(", 0), std::string::npos) << call;
  }
}

TEST_F(TransferCopyTest, ALargeTableIsFetchedInBlocks) {
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
  RowCopyOptions options;
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

}  // namespace
}  // namespace skerrow
