// skerrow-bench: the benchmark's helper program. It builds the embedded source table, writes
// the same rows as a tab-separated file and as a script of 100-row INSERTs for the mariadb
// client, and copies the table with the converter's own row copy in a chosen write mode.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/bench_table.h"
#include "db/source_error.h"
#include "oracle/embedded_instance.h"
#include "schema/column_catalog.h"
#include "schema/create_table_text.h"
#include "schema/table_creation.h"
#include "text/hex.h"
#include "transfer/copy_table_rows.h"
#include "transfer/render_value.h"
#include "transfer/row_statements.h"
#include "workflow/connection_step.h"
#include "workflow/control_ids.h"
#include "workflow/conversion_state.h"
#include "workflow/table_window.h"

namespace skerrow::bench {
namespace {

constexpr const char* kUsage =
    "Usage:\n"
    "  skerrow-bench make-source DIR SERVICE ROWS [TABLES]\n"
    "      Creates the embedded instance DIR/SERVICE with user BENCH (password bench) and its\n"
    "      table ORDERS of ROWS rows; with TABLES, that many tables ORDERS_1, ORDERS_2, ...\n"
    "      of ROWS rows each (the same rows in every one).\n"
    "  skerrow-bench read-source SERVICE\n"
    "      Reads ORDERS the way the row copy does and prints the source's rows per second.\n"
    "  skerrow-bench write-files SERVICE DATABASE TSV SQL [TABLE]\n"
    "      Writes the rows of ORDERS (or TABLE) as MySQL holds them after a conversion: TSV\n"
    "      for LOAD DATA, SQL as INSERTs of 100 rows each into DATABASE.ORDERS.\n"
    "  skerrow-bench copy-rows SERVICE HOST LOGIN PASSWORD DATABASE batched|per-row [BYTES]\n"
    "      Creates DATABASE.ORDERS as the converter does and copies the rows with the row copy\n"
    "      in the given write mode. Prints rows, seconds and peak resident memory (KiB).\n"
    "Instances are found through SKERROW_ORACLE_PATH.\n";

// A window without a screen: holds the fields the workflow reads and keeps quiet.
class HeadlessWindow : public WizardWindow {
 public:
  std::string GetControlText(int id) override { return fields_[id]; }
  void SetControlText(int id, const std::string& text) override { fields_[id] = text; }
  void EnableControl(int, bool) override {}
  void FocusControl(int) override {}
  int TableItemCount() override { return static_cast<int>(tables_.size()); }
  bool IsTableItemChecked(int) override { return true; }
  void SetSelectAllChecked(bool) override {}
  void ResetTableList(int) override { tables_.clear(); }
  void AddTableItem(const std::string& name) override { tables_.push_back(name); }
  void SetNavigationEnabled(bool) override {}
  void ShowSelectionPage(const std::string&) override { selectionShown_ = true; }
  void LockSelection() override {}
  void UnlockSelection() override {}
  void ClearTableChecks() override {}
  void SetTablesProgressRange(int) override {}
  void ShowTablesConverted(int, int) override {}
  void StepTablesProgress() override {}
  void ShowProgressPanel() override {}
  void StartActivityTimer() override {}
  void SetProgressTitle(const std::string&) override {}
  void EndRunDisplay(bool) override {}
  void ResetProgressBars() override {}
  MessageAnswer ShowMessage(const MessageRequest& request) override {
    std::cerr << "skerrow-bench: " << request.text << "\n";
    return MessageAnswer::Ok;
  }

  bool SelectionShown() const { return selectionShown_; }

 private:
  std::map<int, std::string> fields_;
  std::vector<std::string> tables_;
  bool selectionShown_ = false;
};

long PeakResidentKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string ConnectionString(const std::string& service) {
  return "Provider=MSDAORA.1;Data Source=" + service + ";Database=" + kOwner +
         ";User ID=" + kOwner + ";Password=" + kPassword + ",";
}

// `tables` 0: the one table ORDERS; else ORDERS_1 to ORDERS_<tables>, each of `rows` rows.
int MakeSource(const std::filesystem::path& dir, const std::string& service, long rows,
               int tables) {
  std::filesystem::create_directories(dir);
  if (std::filesystem::exists(dir / service)) oracle::EmbeddedInstance::Drop(dir / service);
  auto instance = oracle::EmbeddedInstance::Create(dir / service);
  instance->CreateUser(kOwner, kPassword);
  instance->SetCurrentSchema(kOwner);
  const std::vector<std::string> names = ColumnNames();
  for (int table = tables == 0 ? 0 : 1; table <= tables; ++table) {
    const std::string name =
        tables == 0 ? std::string(kTable) : std::string(kTable) + "_" + std::to_string(table);
    auto constraints = TableConstraints();
    for (auto& constraint : constraints) constraint.name = name + "_PK";
    instance->CreateTable(kOwner, name, TableColumns(), constraints);
    for (long id = 1; id <= rows; ++id) {
      instance->InsertRow(kOwner, name, names, RowValues(id));
      if (id % 200000 == 0) instance->Commit();
    }
    instance->Commit();
  }
  return 0;
}

// The row query of `table` (ORDERS when not named) as the type mapping composes it.
std::string OrdersQuery(ConversionState& state, const std::string& table = kTable) {
  ResetColumnLists(state.ColumnLists);
  const auto catalog = ReadColumnCatalog(state.Source, table);
  SizeColumnLists(state.ColumnLists, catalog.size());
  static_cast<void>(BuildTableDefinition(state.ColumnLists, catalog,
                                         [](std::string_view text) { return std::string(text); }));
  std::string query = RowQuery(state.ColumnLists.SourceSelectList, kOwner, table);
  return query;
}

void OpenSource(ConversionState& state, const std::string& service) {
  state.Source.Create();
  state.Source.Open(ConnectionString(service), kOwner, kPassword, kConnectUnspecified);
}

int ReadSource(const std::string& service) {
  ConversionState state;
  OpenSource(state, service);
  const std::string query = OrdersQuery(state);
  const auto start = std::chrono::steady_clock::now();
  state.Source.Execute(query);
  std::int64_t rows = 0;
  while (!state.Source.EndOfRows())
    rows += static_cast<std::int64_t>(state.Source.GetRows(10000).RowCount());
  const double seconds = SecondsSince(start);
  std::printf("rows %lld seconds %.3f rows_per_second %.0f peak_kib %ld\n",
              static_cast<long long>(rows), seconds, static_cast<double>(rows) / seconds,
              PeakResidentKiB());
  return 0;
}

// A value as LOAD DATA reads it with the default field and line terminators.
void AppendTsvField(std::string& line, const Variant& value) {
  std::string text;
  switch (value.Kind()) {
    case VariantKind::Null:
    case VariantKind::Empty:
      line += "\\N";
      return;
    case VariantKind::ByteArray:
      text = IsUtf8Text(value.Data()) ? value.Data() : text::HexOfBytes(value.Data());
      break;
    case VariantKind::Date:
      text = value.AsDate().ToString();
      break;
    default:
      text = value.ToText().value_or("");
  }
  if (text.empty() && value.Kind() != VariantKind::Decimal) {
    line += "\\N";  // the converter writes an empty text as null
    return;
  }
  for (char c : text) {
    switch (c) {
      case '\\':
        line += "\\\\";
        break;
      case '\t':
        line += "\\t";
        break;
      case '\n':
        line += "\\n";
        break;
      case '\r':
        line += "\\r";
        break;
      case '\0':
        line += "\\0";
        break;
      default:
        line.push_back(c);
    }
  }
}

// The escapes the client library applies to a string literal (UTF-8 needs no more: no byte of a
// multi-byte character is a quote or a backslash).
std::string LiteralEscape(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size() + 8);
  for (char c : text) {
    switch (c) {
      case '\0':
        escaped += "\\0";
        break;
      case '\n':
        escaped += "\\n";
        break;
      case '\r':
        escaped += "\\r";
        break;
      case '\\':
        escaped += "\\\\";
        break;
      case '\'':
        escaped += "\\'";
        break;
      case '"':
        escaped += "\\\"";
        break;
      case '\x1A':
        escaped += "\\Z";
        break;
      default:
        escaped.push_back(c);
    }
  }
  return escaped;
}

int WriteFiles(const std::string& service, const std::string& database, const std::string& tsvPath,
               const std::string& sqlPath, const std::string& table) {
  ConversionState state;
  OpenSource(state, service);
  const std::string query = OrdersQuery(state, table);
  const std::string prefix = InsertPrefix(database, kTable, state.ColumnLists.SelectedColumnNames);
  std::ofstream tsv(tsvPath, std::ios::binary);
  std::ofstream sql(sqlPath, std::ios::binary);
  sql << kStrictModeStatement << ";\n";
  state.Source.Execute(query);
  std::string line, statement;
  std::int64_t rowsInStatement = 0;
  while (!state.Source.EndOfRows()) {
    const RowArray block = state.Source.GetRows(10000);
    for (std::size_t row = 0; row < block.RowCount(); ++row) {
      line.clear();
      statement += rowsInStatement == 0 ? prefix : std::string(",(");
      for (std::size_t column = 0; column < block.FieldCount(); ++column) {
        if (column > 0) {
          line.push_back('\t');
          statement.push_back(',');
        }
        AppendTsvField(line, block.At(column, row));
        statement += RenderValue(block.At(column, row), state.ColumnLists.TextColumnTypes[column],
                                 LiteralEscape);
      }
      line.push_back('\n');
      tsv << line;
      statement.push_back(')');
      if (++rowsInStatement == 100) {
        sql << statement << ";\n";
        statement.clear();
        rowsInStatement = 0;
      }
    }
  }
  if (rowsInStatement > 0) sql << statement << ";\n";
  return tsv && sql ? 0 : 1;
}

int CopyRows(const std::string& service, const std::string& host, const std::string& login,
             const std::string& password, const std::string& database, const std::string& mode,
             std::optional<std::size_t> statementBytes) {
  RowCopyOptions options;
  if (statementBytes) options.maxStatementBytes = *statementBytes;
  if (mode == "per-row")
    options.writeMode = RowWriteMode::OneStatementPerRow;
  else if (mode != "batched")
    throw std::invalid_argument("unknown write mode " + mode);

  ConversionState state;
  HeadlessWindow window;
  window.SetControlText(kServiceNameEdit, service);
  window.SetControlText(kOracleUserEdit, kOwner);
  window.SetControlText(kOraclePasswordEdit, kPassword);
  window.SetControlText(kMySqlServerEdit, host);
  window.SetControlText(kMySqlLoginEdit, login);
  window.SetControlText(kMySqlPasswordEdit, password);
  window.SetControlText(kDestinationNameEdit, database);
  const auto start = std::chrono::steady_clock::now();
  ConnectAndListTables(state, window);
  if (!window.SelectionShown()) return 1;
  if (!state.Target.Query("DROP DATABASE IF EXISTS " + QuoteMySqlIdentifier(database)) ||
      !state.Target.Query("CREATE DATABASE " + QuoteMySqlIdentifier(database) +
                          " CHARACTER SET utf8mb4")) {
    std::cerr << "skerrow-bench: " << state.Target.LastErrorMessage() << "\n";
    return 1;
  }
  ResetColumnLists(state.ColumnLists);
  const auto catalog = ReadColumnCatalog(state.Source, kTable);
  SizeColumnLists(state.ColumnLists, catalog.size());
  const TableDefinition definition = BuildTableDefinition(
      state.ColumnLists, catalog,
      [&state](std::string_view text) { return state.Target.EscapeString(text); });
  const std::string key = ReadKeyClause(state.Source, kTable, kOwner, definition);
  if (!state.Target.Query(CreateTableStatement(CreateTableHead(database, kTable),
                                               ColumnDefinitionsText(definition), key))) {
    std::cerr << "skerrow-bench: " << state.Target.LastErrorMessage() << "\n";
    return 1;
  }
  state.SelectedTableCount = 1;
  TableReport report;
  report.sourceName = kTable;
  report.createdName = kTable;
  TableWindow tableWindow(state, window);
  TableJob job = MakeTableJob(state, window, tableWindow);
  job.options = options;
  CopyTableRows(job, kTable, kTable, state.ColumnLists, report);
  const double seconds = SecondsSince(start);
  std::printf("rows %lld refused %lld seconds %.3f peak_kib %ld\n",
              static_cast<long long>(report.rowsWritten),
              static_cast<long long>(report.rowsRefused), seconds, PeakResidentKiB());
  return report.Succeeded() ? 0 : 1;
}

int Main(const std::vector<std::string>& args) {
  if ((args.size() == 4 || args.size() == 5) && args[0] == "make-source")
    return MakeSource(args[1], args[2], std::stol(args[3]),
                      args.size() == 5 ? std::stoi(args[4]) : 0);
  if (args.size() == 2 && args[0] == "read-source") return ReadSource(args[1]);
  if ((args.size() == 5 || args.size() == 6) && args[0] == "write-files")
    return WriteFiles(args[1], args[2], args[3], args[4], args.size() == 6 ? args[5] : kTable);
  if ((args.size() == 7 || args.size() == 8) && args[0] == "copy-rows")
    return CopyRows(
        args[1], args[2], args[3], args[4], args[5], args[6],
        args.size() == 8 ? std::optional<std::size_t>(std::stoul(args[7])) : std::nullopt);
  std::cerr << kUsage;
  return 2;
}

}  // namespace
}  // namespace skerrow::bench

int main(int argc, char** argv) {
  try {
    return skerrow::bench::Main(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const skerrow::SourceError& error) {
    std::cerr << "skerrow-bench: " << skerrow::FormatSourceError(error) << "\n";
  } catch (const std::exception& error) {
    std::cerr << "skerrow-bench: " << error.what() << "\n";
  }
  return 1;
}
