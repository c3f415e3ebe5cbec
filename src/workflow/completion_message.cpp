#include "workflow/completion_message.h"

#include "workflow/report_notes.h"

namespace skerrow {

std::string TableFailureReason(const TableReport& table) {
  if (table.Succeeded()) return {};
  std::string reason = table.createError;
  auto add = [&reason](const std::string& part) {
    if (!reason.empty()) reason += "; ";
    reason += part;
  };
  if (table.rowsRefused > 0) {
    std::string refused = std::to_string(table.rowsRefused) + " row(s) refused by MySQL";
    if (!table.refusalMessages.empty())
      refused += " (first: " + table.refusalMessages.front() + ")";
    add(refused);
  }
  if (table.abandoned) add("copy abandoned: " + *table.abandoned);
  if (table.roundedValues.count > 0) add(RoundedValuesSummary(table.roundedValues));
  if (reason.empty()) reason = "not created";
  return reason;
}

MessageRequest CompletionMessage(const RunReport& report) {
  MessageRequest request;
  request.caption = "Message";
  if (report.Succeeded()) {
    request.text = "Skerrow Database Conversion completed successfully.";
    // What the tables do not keep of their source's definition, for a window to offer.
    request.details = RunNotesSummary(report);
    request.kind = MessageKind::Completed;
    return request;
  }
  std::string lines;
  if (!report.runError.empty()) lines += report.runError + "\n";
  for (const auto& table : report.tables)
    if (!table.Succeeded()) lines += table.sourceName + ": " + TableFailureReason(table) + "\n";
  const std::string notes = RunNotesSummary(report);
  if (!notes.empty()) lines += notes + "\n";
  if (!lines.empty()) lines.pop_back();
  request.text = "Skerrow Database Conversion completed with errors.\n" + lines;
  request.icon = MessageIcon::Warning;
  request.details = lines;
  request.kind = MessageKind::CompletedWithErrors;
  return request;
}

}  // namespace skerrow
