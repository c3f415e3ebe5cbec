#pragma once

#include <string>

#include "transfer/table_column_lists.h"
#include "transfer/table_job.h"
#include "transfer/table_report.h"

namespace skerrow {

// Copies every row of `sourceTable` into `targetTable` (the name it was created under) with
// the column lists the table creation left, empties their select list, and fills the row
// figures of `report`. Failures of the query and the fetch are handled inside.
void CopyTableRows(const TableJob& job, const std::string& sourceTable,
                   const std::string& targetTable, TableColumnLists& lists, TableReport& report);

}  // namespace skerrow
