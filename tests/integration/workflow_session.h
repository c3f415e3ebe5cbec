#pragma once

// What the workflow and schema integration tests share: an embedded Oracle instance built
// from fixtures, the MariaDB sandbox, the recording window and one ConversionState, driven the
// way the wizard drives them (Next, checks, Convert on the worker thread).

#include <gtest/gtest.h>
#include <mysql.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "db/target_connection.h"
#include "support/mysql_sandbox.h"
#include "support/oracle_fixture.h"
#include "support/recording_window.h"
#include "workflow/connection_step.h"
#include "workflow/control_ids.h"
#include "workflow/conversion_run.h"
#include "workflow/conversion_state.h"

namespace skerrow::test {

// One column of a created table as information_schema describes it.
struct TargetColumn {
  std::string name;
  std::string type;  // COLUMN_TYPE
  bool nullable = true;
  std::optional<std::string> defaultValue;  // COLUMN_DEFAULT as MariaDB writes it
  std::string key;                          // COLUMN_KEY: "PRI" or ""

  friend bool operator==(const TargetColumn&, const TargetColumn&) = default;
};

inline std::ostream& operator<<(std::ostream& out, const TargetColumn& column) {
  return out << column.name << " " << column.type << (column.nullable ? " NULL" : " NOT NULL")
             << " DEFAULT=" << column.defaultValue.value_or("<none>") << " KEY=" << column.key;
}

class WorkflowSession {
 public:
  // `service` is the instance's name; `scripts` are fixture scripts loaded into it.
  WorkflowSession(const std::string& service, const std::vector<std::string>& scripts)
      : oracle_(service, scripts), sandbox_(RequireSandbox()) {
    if (sandbox_) probe_ = std::make_unique<MySqlProbe>(*sandbox_);
  }

  // False (with a failure recorded) when the instance or the server is not usable.
  bool Ready() const { return oracle_.Ok() && sandbox_ && probe_ && probe_->Connected(); }
  std::string NotReadyReason() const {
    if (!oracle_.Ok()) return oracle_.Error();
    if (!sandbox_) return "no MariaDB sandbox";
    return probe_ ? probe_->Error() : "no probe";
  }

  OracleFixture& Oracle() { return oracle_; }
  const MySqlSandbox& Sandbox() const { return *sandbox_; }
  MySqlProbe& Probe() { return *probe_; }
  RecordingWindow& Window() { return window_; }
  ConversionState& State() { return state_; }
  const ConversionState& State() const { return state_; }

  // The six fields of page 1, the MySQL ones from the sandbox.
  void FillConnectionFields(const std::string& user, const std::string& password) {
    window_.SetField(kServiceNameEdit, oracle_.Service());
    window_.SetField(kOracleUserEdit, user);
    window_.SetField(kOraclePasswordEdit, password);
    window_.SetField(kMySqlServerEdit, sandbox_->host);
    window_.SetField(kMySqlLoginEdit, sandbox_->user);
    window_.SetField(kMySqlPasswordEdit, sandbox_->password);
  }

  // Next: fills the fields and lists the user's tables; true when page 2 is shown.
  bool Next(const std::string& user, const std::string& password) {
    FillConnectionFields(user, password);
    ConnectAndListTables(state_, window_);
    return window_.Page() == 2;
  }

  // Checks the list entries with these names (every entry when empty).
  void Check(const std::vector<std::string>& names = {}) {
    const std::vector<std::string> items = window_.TableItems();
    for (std::size_t i = 0; i < items.size(); ++i)
      if (names.empty() || std::find(names.begin(), names.end(), items[i]) != names.end())
        window_.SetTableChecked(static_cast<int>(i), true);
  }

  // A scratch destination name for this test process, dropped at the end.
  std::string ScratchDatabase(const std::string& stem) { return probe_->ScratchDatabase(stem); }

  // Convert with `database` typed as the destination: the run on its worker thread, waited for.
  void Convert(const std::string& database) {
    window_.SetField(kDestinationNameEdit, database);
    EXPECT_TRUE(StartConversion(state_, window_));
    WaitForConversion(state_);
  }

  // The columns of a created table, in their order.
  std::vector<TargetColumn> Columns(const std::string& database, const std::string& table) {
    std::vector<TargetColumn> columns;
    auto rows = probe_->Query(
        "SELECT COLUMN_NAME, COLUMN_TYPE, IS_NULLABLE, COLUMN_DEFAULT, COLUMN_KEY FROM "
        "information_schema.COLUMNS WHERE TABLE_SCHEMA = '" +
        Escape(database) + "' AND TABLE_NAME = '" + Escape(table) + "' ORDER BY ORDINAL_POSITION");
    EXPECT_TRUE(rows.has_value()) << probe_->Error();
    if (!rows) return columns;
    for (const auto& row : *rows)
      columns.push_back(
          {row[0].value_or(""), row[1].value_or(""), row[2] == "YES", row[3], row[4].value_or("")});
    return columns;
  }

  // The primary key's columns in key order, with the prefix length where there is one
  // ("TOKEN(250)").
  std::vector<std::string> PrimaryKey(const std::string& database, const std::string& table) {
    std::vector<std::string> key;
    auto rows = probe_->Query(
        "SELECT COLUMN_NAME, SUB_PART FROM information_schema.STATISTICS WHERE TABLE_SCHEMA = '" +
        Escape(database) + "' AND TABLE_NAME = '" + Escape(table) +
        "' AND INDEX_NAME = 'PRIMARY' ORDER BY SEQ_IN_INDEX");
    EXPECT_TRUE(rows.has_value()) << probe_->Error();
    if (!rows) return key;
    for (const auto& row : *rows)
      key.push_back(row[0].value_or("") + (row[1] ? "(" + *row[1] + ")" : ""));
    return key;
  }

  // The tables of a database, sorted by name.
  std::vector<std::string> Tables(const std::string& database) {
    std::vector<std::string> tables;
    auto rows =
        probe_->Query("SELECT TABLE_NAME FROM information_schema.TABLES WHERE TABLE_SCHEMA = '" +
                      Escape(database) + "' ORDER BY TABLE_NAME");
    EXPECT_TRUE(rows.has_value()) << probe_->Error();
    if (rows)
      for (const auto& row : *rows) tables.push_back(row[0].value_or(""));
    return tables;
  }

  std::string RowCount(const std::string& database, const std::string& table) {
    return probe_
        ->Scalar("SELECT COUNT(*) FROM " + QuoteMySqlIdentifier(database) + "." +
                 QuoteMySqlIdentifier(table))
        .value_or("<failed: " + probe_->Error() + ">");
  }

  // The actions of the window from the first one that starts with `prefix` on.
  std::vector<std::string> ActionsFrom(const std::string& prefix) const {
    const std::vector<std::string> actions = window_.Actions();
    auto it = std::find_if(actions.begin(), actions.end(),
                           [&](const std::string& a) { return a.rfind(prefix, 0) == 0; });
    return std::vector<std::string>(it, actions.end());
  }

  static std::string Escape(const std::string& text) {
    std::string escaped;
    for (char c : text) {
      if (c == '\'' || c == '\\') escaped.push_back(c);
      escaped.push_back(c);
    }
    return escaped;
  }

 private:
  OracleFixture oracle_;
  std::optional<MySqlSandbox> sandbox_;
  std::unique_ptr<MySqlProbe> probe_;
  RecordingWindow window_;
  ConversionState state_;
};

// Statement counters of one client session, read on that session's own handle.
struct SessionCounters {
  long questions = 0;
  long changeDb = 0;
  long createDb = 0;
  long dropDb = 0;
};

inline std::optional<SessionCounters> ReadSessionCounters(st_mysql* handle) {
  if (handle == nullptr) return std::nullopt;
  const char* sql =
      "SHOW SESSION STATUS WHERE Variable_name IN "
      "('Questions','Com_change_db','Com_create_db','Com_drop_db')";
  if (mysql_query(handle, sql) != 0) return std::nullopt;
  MYSQL_RES* result = mysql_store_result(handle);
  if (result == nullptr) return std::nullopt;
  SessionCounters counters;
  while (MYSQL_ROW row = mysql_fetch_row(result)) {
    const std::string name = row[0];
    const long value = std::atol(row[1]);
    if (name == "Questions") counters.questions = value;
    if (name == "Com_change_db") counters.changeDb = value;
    if (name == "Com_create_db") counters.createDb = value;
    if (name == "Com_drop_db") counters.dropDb = value;
  }
  mysql_free_result(result);
  return counters;
}

}  // namespace skerrow::test
