#pragma once

#include <string>

#include "db/target_connection.h"
#include "transfer/table_column_lists.h"
#include "transfer/table_job.h"
#include "transfer/table_report.h"

namespace skerrow {

// Creates and copies one checked table with the job's connections, and with `verify` reads it
// back and compares it with its source; whatever goes wrong ends this table only and lands in
// its report.
TableReport ConvertTable(const TableJob& job, const std::string& sourceTable,
                         TableColumnLists& lists, bool verify = false);

// True when the table ended because the server connection is gone, whether its creation or
// its row copy found out: every further statement on `target` would fail the same way.
bool LostTheConnection(const TableReport& finished, const TargetConnection& target);

// The run's error once the server connection is gone.
std::string ConnectionLostRunError(const TargetConnection& target);

}  // namespace skerrow
