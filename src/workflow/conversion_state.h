#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "db/source_connection.h"
#include "db/target_connection.h"
#include "transfer/table_column_lists.h"
#include "workflow/run_journal.h"
#include "workflow/run_report.h"

namespace skerrow {

// What the connection step opened both connections with, so that the jobs of a parallel run
// open theirs the same way.
struct ConnectionSettings {
  std::string sourceConnectionString;
  std::string oracleUser;
  std::string oraclePassword;
  std::string mysqlServer;
  std::string mysqlLogin;
  std::string mysqlPassword;
};

// The process-wide state of the converter: one instance for the life of the process, owned by
// the front end and handed to every workflow step.
struct ConversionState {
  // The source opens through the program's providers: an embedded instance first, else
  // Oracle's client library.
  ConversionState();

  // Written by the connection step.
  std::vector<std::string> TableNames;
  SourceConnection Source;
  TargetConnection Target;
  ConnectionSettings Connection;

  // The run's fields.
  std::int32_t SelectedTableCount = 0;
  // Counted by every job of a parallel run.
  std::atomic<std::int32_t> ConvertedTableCount{0};
  std::atomic<bool> StopRequested{false};
  std::thread WorkerThread;
  // Set while a worker runs RunConversion (WorkerThread stays joinable after it ended).
  std::atomic<bool> RunInProgress{false};
  // The row copy sends every row in its own INSERT instead of many rows per statement (slower;
  // for servers or proxies that mishandle large statements, and for measurements).
  bool OneStatementPerRow = false;
  // Every table is read back after its copy and compared with its source.
  bool VerifyTables = false;
  // Tables created and copied at the same time, each on connections of its own (the command
  // line's --jobs); 1 converts one table after another.
  int Jobs = 1;

  // The column lists of the table being converted, handed to its creation and row copy; they
  // keep the last table's lists until the next table begins.
  TableColumnLists ColumnLists;

  // The report of the current (or last) run, written by the worker alone.
  RunReport Report;
  // The run as the window's thread may read it while the worker converts.
  RunJournal Journal;
};

}  // namespace skerrow
