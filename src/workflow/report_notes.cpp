#include "workflow/report_notes.h"

#include <algorithm>

#include "text/numbers.h"

namespace skerrow {

namespace {

// Notes shown per table in a message; the report keeps them all.
constexpr std::size_t kShownNotes = 5;

std::string CountOf(std::int64_t count, const char* singular, const char* plural) {
  return text::GroupDigits(count) + " " + (count == 1 ? singular : plural);
}

std::string ShownOrNull(const std::optional<std::string>& value, bool hex) {
  if (!value) return "NULL";
  return hex ? "X'" + *value + "'" : *value;
}

}  // namespace

std::string VerificationDifferenceText(const VerificationDifference& difference) {
  using Kind = VerificationDifference::Kind;
  switch (difference.kind) {
    case Kind::ValueDiffers:
      return difference.key + ", " + difference.column + ": Oracle " +
             ShownOrNull(difference.sourceValue, difference.hex) + ", MySQL " +
             ShownOrNull(difference.targetValue, difference.hex);
    case Kind::MissingInTarget:
      return difference.key + ": in Oracle, missing in MySQL";
    case Kind::MissingInSource:
      return difference.key + ": in MySQL only, not in Oracle";
  }
  return difference.key;
}

std::string VerificationSummary(const TableVerification& verification) {
  if (verification.error) return "not verified: " + *verification.error;
  if (verification.rowsCompared == 0 && verification.sourceRows == 0 &&
      verification.targetRows == 0 && !verification.columnsNotCompared.empty())
    return "not compared: none of its columns holds values Skerrow copies";
  std::string summary = "verified: " + CountOf(verification.rowsCompared, "row", "rows") +
                        " compared, " + CountOf(verification.mismatches, "mismatch", "mismatches");
  if (verification.rowsMissingInTarget > 0)
    summary +=
        ", " + CountOf(verification.rowsMissingInTarget, "row", "rows") + " missing in MySQL";
  if (verification.rowsMissingInSource > 0)
    summary += ", " + CountOf(verification.rowsMissingInSource, "row", "rows") + " not in Oracle";
  if (verification.refusedRows > 0)
    summary += ", " + CountOf(verification.refusedRows, "refused row", "refused rows") +
               " not expected in MySQL";
  if (verification.roundedValues > 0)
    summary +=
        ", " + CountOf(verification.roundedValues, "value", "values") + " as DOUBLE rounded them";
  return summary;
}

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
