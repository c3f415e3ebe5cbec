#pragma once

#include <string>

#include "workflow/run_report.h"
#include "workflow/wizard_window.h"

namespace skerrow {

// Why one table did not convert cleanly, in words for the operator; empty when it did.
std::string TableFailureReason(const TableReport& table);

// The message that ends a run that showed its progress panel: the success text when every
// table converted, otherwise "completed with errors" with one line per failed table.
MessageRequest CompletionMessage(const RunReport& report);

}  // namespace skerrow
