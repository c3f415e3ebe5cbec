#include "workflow/completion_message.h"

#include <algorithm>
#include <vector>

#include "text/numbers.h"
#include "workflow/report_notes.h"
#include "workflow/report_table.h"

namespace skerrow {

namespace {

// Names listed in the message itself; the details list every table.
constexpr std::size_t kListedNames = 10;

std::string Counted(std::int64_t count, const char* singular, const char* plural) {
  return text::GroupDigits(count) + " " + (count == 1 ? singular : plural);
}

// "A, B, C" for at most kListedNames names, then "and N more".
std::string NameList(const std::vector<std::string>& names) {
  std::string list;
  for (std::size_t i = 0; i < names.size() && i < kListedNames; ++i)
    list += (i == 0 ? "" : ", ") + names[i];
  if (names.size() > kListedNames)
    list += " and " + std::to_string(names.size() - kListedNames) + " more";
  return list;
}

// The run's error and every failed table with its reason, one per line; empty when none.
std::string FailureLines(const RunReport& report) {
  std::string lines;
  if (!report.runError.empty()) lines += report.runError + "\n";
  for (const auto& table : report.tables)
    if (!table.Succeeded()) lines += table.sourceName + ": " + TableFailureReason(table) + "\n";
  if (!lines.empty()) lines.pop_back();
  return lines;
}

// After a stop: which tables arrived and which checked ones were never started.
std::string StoppedLines(const RunReport& report) {
  std::vector<std::string> converted;
  for (const auto& table : report.tables)
    if (table.createdName) converted.push_back(table.sourceName);
  std::string lines = "Converted: " + (converted.empty() ? "none" : NameList(converted)) + ".";
  if (!report.notStarted.empty()) lines += "\nNot started: " + NameList(report.notStarted) + ".";
  return lines;
}

}  // namespace

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
  if (table.verification && !table.verification->Succeeded()) {
    std::string found = VerificationSummary(*table.verification);
    if (!table.verification->differences.empty())
      found +=
          " (first: " + VerificationDifferenceText(table.verification->differences.front()) + ")";
    add(found);
  }
  if (reason.empty()) reason = "not created";
  return reason;
}

std::string ConversionSummaryLine(const RunReport& report) {
  if (report.verifyOnly) {
    std::int64_t compared = 0;
    for (const auto& table : report.tables)
      if (table.verification) compared += table.verification->rowsCompared;
    return Counted(static_cast<std::int64_t>(report.tables.size()), "table", "tables") + " of " +
           report.destinationDatabase +
           " compared with Oracle: " + Counted(compared, "row", "rows") + " compared, " +
           Counted(report.TotalVerificationDifferences(), "difference", "differences") + ".";
  }
  std::int64_t created = 0;
  for (const auto& table : report.tables)
    if (table.createdName) ++created;
  return Counted(created, "table", "tables") + ", " +
         Counted(report.TotalRowsWritten(), "row", "rows") + " converted into " +
         report.destinationDatabase + ".";
}

MessageRequest CompletionMessage(const RunReport& report) {
  MessageRequest request;
  request.caption = "Message";
  request.details = ReportTableText(report, "");
  const bool verified =
      std::any_of(report.tables.begin(), report.tables.end(),
                  [](const auto& table) { return table.verification.has_value(); });
  if (!verified)
    request.details +=
        "\nTo compare every value of the converted tables with Oracle, run skerrow-cli "
        "--verify-only with the same connection, database and tables.\n";
  const std::string summary = ConversionSummaryLine(report);
  const std::string failures = FailureLines(report);
  // What the tables do not keep of their source's definition.
  const std::string notes = RunNotesSummary(report);
  const std::string notesLines = notes.empty() ? "" : "\n" + notes;
  if (report.stopped) {
    request.text = "Skerrow Database Conversion stopped.\n" + summary + "\n" +
                   StoppedLines(report) + (failures.empty() ? "" : "\n" + failures) + notesLines;
    request.icon = failures.empty() ? MessageIcon::None : MessageIcon::Warning;
    request.kind = MessageKind::Stopped;
  } else if (report.verifyOnly) {
    const bool same = report.Succeeded();
    request.text = std::string(same ? "Skerrow Database Verification found no differences.\n"
                                    : "Skerrow Database Verification completed with errors.\n") +
                   summary + (same ? "" : "\n" + failures);
    request.icon = same ? MessageIcon::None : MessageIcon::Warning;
    request.kind = same ? MessageKind::Completed : MessageKind::CompletedWithErrors;
  } else if (report.Succeeded()) {
    request.text = "Skerrow Database Conversion completed successfully.\n" + summary;
    request.kind = MessageKind::Completed;
  } else {
    request.text = "Skerrow Database Conversion completed with errors.\n" + summary + "\n" +
                   failures + notesLines;
    request.icon = MessageIcon::Warning;
    request.kind = MessageKind::CompletedWithErrors;
  }
  return request;
}

}  // namespace skerrow
