#pragma once

#include <cstdint>
#include <string>

#include "transfer/table_column_lists.h"
#include "transfer/table_job.h"
#include "transfer/table_verification.h"
#include "workflow/conversion_state.h"
#include "workflow/wizard_window.h"

namespace skerrow {

// Reads `targetTable` back from the job's database and compares it row by row with
// `sourceTable`, its columns mapped afresh as the conversion maps them into `lists`.
// `refusedByCopy` is how many rows the copy reported refused (0 when there was no copy in this
// run). Every failure, the source's included, ends up in the result's `error`.
TableVerification VerifyConvertedTable(const TableJob& job, const std::string& sourceTable,
                                       const std::string& targetTable, TableColumnLists& lists,
                                       std::int64_t refusedByCopy);

// The run that checks a database converted earlier: every checked table of the destination
// named in the window is compared with its source, and nothing is created or written. Ends
// with the completion message as a conversion does.
void RunVerification(ConversionState& state, WizardWindow& window);

}  // namespace skerrow
