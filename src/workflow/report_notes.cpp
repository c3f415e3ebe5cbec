#include "workflow/report_notes.h"

#include <algorithm>

namespace skerrow {

namespace {

// Notes shown per table in a message; the report keeps them all.
constexpr std::size_t kShownNotes = 5;

}  // namespace

std::string RoundedValueText(const RoundedValue& value) {
  return value.column + " row " + std::to_string(value.row) + ": " + value.sourceValue +
         " stored as " + value.storedValue;
}

std::string RoundedValuesSummary(const RoundedValues& rounded) {
  if (rounded.count == 0) return {};
  std::string text = std::to_string(rounded.count) + " value(s) rounded by MySQL's DOUBLE";
  if (!rounded.examples.empty()) text += " (first: " + RoundedValueText(rounded.examples[0]) + ")";
  return text;
}

std::string SchemaNotesSummary(const TableReport& table) {
  std::string text;
  const std::size_t shown = std::min(table.schemaNotes.size(), kShownNotes);
  for (std::size_t i = 0; i < shown; ++i) {
    if (i > 0) text += "; ";
    text += SchemaNoteText(table.schemaNotes[i]);
  }
  if (table.schemaNotes.size() > shown)
    text += "; and " + std::to_string(table.schemaNotes.size() - shown) + " more";
  return text;
}

std::string RunNotesSummary(const RunReport& report) {
  std::string lines;
  for (const auto& table : report.tables)
    if (!table.schemaNotes.empty())
      lines += "\n" + table.sourceName + ": " + SchemaNotesSummary(table);
  return lines.empty() ? std::string() : "Notes:" + lines;
}

}  // namespace skerrow
