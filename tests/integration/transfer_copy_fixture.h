#pragma once

// The fixture of the row copy tests: a source instance with user SCOTT, a scratch MySQL
// database, and a state whose connections are open on both, as the connection step leaves them.

#include <gtest/gtest.h>
#include <mysql.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/source_error.h"
#include "oracle/embedded_instance.h"
#include "support/mysql_sandbox.h"
#include "support/recording_window.h"
#include "transfer/copy_table_rows.h"
#include "transfer/oracle_sql_text.h"
#include "transfer/row_statements.h"
#include "workflow/control_ids.h"
#include "workflow/conversion_state.h"
#include "workflow/run_report.h"
#include "workflow/table_window.h"

namespace skerrow::test {

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
class TransferCopyFixture : public ::testing::Test {
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
  // `keyClause` (", PRIMARY KEY (`ID`)") is added to the target table's definition.
  void PrepareTable(const std::string& table, const std::vector<Column>& columns,
                    const std::vector<Row>& rows, const std::string& keyClause = "") {
    std::vector<oracle::ColumnDefinition> definitions;
    std::vector<std::string> names;
    for (const auto& column : columns) {
      oracle::ColumnDefinition definition;
      definition.name = column.name;
      definition.dataType = column.oracleType;
      definition.dataLength = column.length;
      if (column.textLike) {
        definition.charLength = column.length;
        definition.charUsed = "B";
      }
      definitions.push_back(definition);
      names.push_back(column.name);
    }
    instance_->CreateTable("SCOTT", table, definitions, {});
    for (const auto& row : rows) instance_->InsertRow("SCOTT", table, names, row);
    instance_->Commit();

    std::string create = "CREATE TABLE " + QuoteMySqlIdentifier(database_) + "." +
                         QuoteMySqlIdentifier(table) + " (";
    for (std::size_t i = 0; i < columns.size(); ++i)
      create +=
          (i ? ", " : "") + QuoteMySqlIdentifier(columns[i].name) + " " + columns[i].mysqlType;
    ASSERT_TRUE(probe_->Execute(create + keyClause + ") ENGINE=MyISAM CHARACTER SET utf8mb4"))
        << probe_->Error();
    created_[table] = create + keyClause + ") ENGINE=MyISAM CHARACTER SET utf8mb4";

    SetColumnLists(columns);
  }

  // A further scratch database holding an empty copy of every table prepared so far, so that
  // the same rows can be copied a second way and the outcomes compared.
  std::string SecondDatabase() {
    const std::string second = probe_->ScratchDatabase("transfer2");
    EXPECT_TRUE(probe_->Execute("CREATE DATABASE " + QuoteMySqlIdentifier(second) +
                                " CHARACTER SET utf8mb4"))
        << probe_->Error();
    const std::string from = "CREATE TABLE " + QuoteMySqlIdentifier(database_) + ".";
    for (const auto& [table, create] : created_)
      EXPECT_TRUE(probe_->Execute("CREATE TABLE " + QuoteMySqlIdentifier(second) + "." +
                                  create.substr(from.size())))
          << probe_->Error();
    return second;
  }

  // The column lists as the type mapping leaves them for a table of these columns.
  void SetColumnLists(const std::vector<Column>& columns) {
    state_.ColumnLists.SourceSelectList.clear();
    state_.ColumnLists.TargetColumnList.clear();
    state_.ColumnLists.SelectedColumnNames.clear();
    state_.ColumnLists.TextColumnTypes.assign(columns.size() + 1, "");
    state_.ColumnLists.SkippedColumnNames.assign(columns.size() + 1, "");
    state_.ColumnLists.HasSkippedColumns = false;
    std::size_t selected = 0;
    for (std::size_t i = 0; i < columns.size(); ++i) {
      const auto& column = columns[i];
      const std::string quoted = OracleQuotedName(column.name);
      if (column.read == Read::Skipped) {
        state_.ColumnLists.SkippedColumnNames[i] = column.name;
        state_.ColumnLists.HasSkippedColumns = true;
        continue;
      }
      if (!state_.ColumnLists.SourceSelectList.empty()) {
        state_.ColumnLists.SourceSelectList += ",";
        state_.ColumnLists.TargetColumnList += ",";
      }
      state_.ColumnLists.SourceSelectList +=
          column.read == Read::RawCast ? "utl_raw.cast_to_raw(" + quoted + ")" : quoted;
      state_.ColumnLists.TargetColumnList += quoted;
      state_.ColumnLists.SelectedColumnNames.push_back(column.name);
      if (column.textLike) state_.ColumnLists.TextColumnTypes[selected] = column.oracleType;
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

  // Copies into `database`, which the destination field then names.
  TableReport CopyInto(const std::string& database, const std::string& table,
                       const RowCopyOptions& options) {
    window_.SetField(kDestinationNameEdit, database);
    return Copy(table, options);
  }

  TableReport Copy(const std::string& table, const RowCopyOptions& options = {}) {
    TableReport report;
    report.sourceName = table;
    report.createdName = table;
    // As the run hands a table over: the window's fields and the state's connections and lists.
    TableWindow tableWindow(state_, window_);
    TableJob job = MakeTableJob(state_, window_, tableWindow);
    job.options = options;
    CopyTableRows(job, table, table, state_.ColumnLists, report);
    return report;
  }

  std::vector<ResultRow> TargetRows(const std::string& table, const std::string& orderBy) {
    return TargetRowsIn(database_, table, orderBy);
  }

  std::vector<ResultRow> TargetRowsIn(const std::string& database, const std::string& table,
                                      const std::string& orderBy) {
    auto rows =
        probe_->Query("SELECT * FROM " + QuoteMySqlIdentifier(database) + "." +
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
  std::map<std::string, std::string> created_;  // CREATE TABLE of each prepared target table
  RecordingWindow window_;
  ConversionState state_;
};

// Overwrites one stored value behind the stand-in's back, giving a value no conversion can
// render (the stand-in itself never stores one).
inline void BreakStoredValue(const std::filesystem::path& instanceDirectory,
                             const std::string& table, const std::string& column,
                             const std::string& from, const std::string& to) {
  for (const auto& entry : std::filesystem::directory_iterator(instanceDirectory / "schemas")) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(entry.path().c_str(), &db), SQLITE_OK);
    std::unique_ptr<sqlite3, decltype(&sqlite3_close)> closer(db, sqlite3_close);
    const std::string sql = "UPDATE \"" + table + "\" SET \"" + column + "\" = '" + to +
                            "' WHERE \"" + column + "\" = '" + from + "'";
    sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
  }
}

inline const Column kId{"ID", "NUMBER", 22, "DOUBLE"};

}  // namespace skerrow::test
