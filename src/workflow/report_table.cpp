#include "workflow/report_table.h"

#include <algorithm>
#include <array>
#include <sstream>
#include <vector>

#include "text/numbers.h"
#include "text/utf8.h"
#include "workflow/report_notes.h"

namespace skerrow {
namespace {

using text::GroupDigits;

// Refusal messages and rounded values shown per table; the JSON report keeps all the run
// kept.
constexpr std::size_t kShownRefusals = 3;
constexpr std::size_t kShownRounded = 3;

// Characters on screen: one column per UTF-8 character.
std::string PadRight(const std::string& text, std::size_t width) {
  const std::size_t shown = text::Utf8Length(text);
  return text + std::string(width > shown ? width - shown : 0, ' ');
}

std::string PadLeft(const std::string& text, std::size_t width) {
  const std::size_t shown = text::Utf8Length(text);
  return std::string(width > shown ? width - shown : 0, ' ') + text;
}

using Row = std::array<std::string, 5>;

std::vector<std::string> NotesOf(const TableReport& table, const std::string& moreRefusalsHint) {
  std::vector<std::string> notes;
  if (!table.createdName) {
    notes.push_back("not created: " + (table.createError.empty() ? std::string("no reason given")
                                                                 : table.createError));
  } else if (!table.createError.empty()) {
    notes.push_back(table.createError);
  }
  for (std::size_t i = 0; i < table.refusalMessages.size() && i < kShownRefusals; ++i) {
    notes.push_back("refused: " + table.refusalMessages[i]);
  }
  if (table.rowsRefused >
      static_cast<std::int64_t>(std::min(table.refusalMessages.size(), kShownRefusals))) {
    notes.push_back("(" + moreRefusalsHint + GroupDigits(table.rowsRefused) +
                    " rows refused in all)");
  }
  if (table.abandoned) notes.push_back("rest of the table not copied: " + *table.abandoned);
  const RoundedValues& rounded = table.roundedValues;
  if (rounded.count > 0) {
    std::string counts;
    for (const auto& column : rounded.columns)
      counts += (counts.empty() ? "" : ", ") + column.column + " " + GroupDigits(column.count);
    notes.push_back("rounded: " + GroupDigits(rounded.count) +
                    " values that MySQL's DOUBLE cannot hold exactly (" + counts + ")");
    for (std::size_t i = 0; i < rounded.examples.size() && i < kShownRounded; ++i)
      notes.push_back("rounded: " + RoundedValueText(rounded.examples[i]));
  }
  for (const auto& added : table.keysAdded) notes.push_back("added: " + added);
  for (const auto& note : table.schemaNotes) notes.push_back("note: " + SchemaNoteText(note));
  if (const auto& verification = table.verification) {
    notes.push_back(VerificationSummary(*verification));
    for (const auto& difference : verification->differences)
      notes.push_back("difference: " + VerificationDifferenceText(difference));
    if (!verification->error) {
      notes.push_back("digest: Oracle " + verification->sourceDigest);
      notes.push_back("digest: MySQL  " + verification->targetDigest);
    }
  }
  return notes;
}

}  // namespace

std::string ReportTableText(const RunReport& report, const std::string& moreRefusalsHint) {
  std::vector<Row> rows;
  rows.push_back(
      {"Table", report.verifyOnly ? "Compared with" : "Created as", "Read", "Written", "Refused"});
  for (const auto& table : report.tables) {
    rows.push_back({table.sourceName, table.createdName.value_or("(not created)"),
                    GroupDigits(table.rowsRead), GroupDigits(table.rowsWritten),
                    GroupDigits(table.rowsRefused)});
  }
  for (const auto& name : report.notStarted) rows.push_back({name, "(not started)", "", "", ""});
  const std::size_t tableCount = report.tables.size();
  rows.push_back({"Total",
                  GroupDigits(static_cast<std::int64_t>(tableCount)) +
                      (tableCount == 1 ? " table" : " tables"),
                  GroupDigits(report.TotalRowsRead()), GroupDigits(report.TotalRowsWritten()),
                  GroupDigits(report.TotalRowsRefused())});

  std::array<std::size_t, 5> widths{};
  for (const auto& row : rows) {
    for (std::size_t c = 0; c < row.size(); ++c)
      widths[c] = std::max(widths[c], text::Utf8Length(row[c]));
  }
  std::ostringstream out;
  const auto printRow = [&](const Row& row) {
    std::string line = PadRight(row[0], widths[0]) + "  " + PadRight(row[1], widths[1]);
    for (std::size_t c = 2; c < row.size(); ++c) line += "  " + PadLeft(row[c], widths[c]);
    // A row without counts ends where its text does.
    line.erase(line.find_last_not_of(' ') + 1);
    out << line << '\n';
  };

  out << "Destination database: " << report.destinationDatabase << '\n';
  printRow(rows.front());
  for (std::size_t i = 0; i < report.tables.size(); ++i) {
    printRow(rows[i + 1]);
    for (const auto& note : NotesOf(report.tables[i], moreRefusalsHint))
      out << "    " << note << '\n';
  }
  for (std::size_t i = 0; i < report.notStarted.size(); ++i)
    printRow(rows[report.tables.size() + 1 + i]);
  printRow(rows.back());
  if (!report.runError.empty()) out << "The run ended early: " << report.runError << '\n';
  if (report.stopped) out << "The run was stopped before every checked table was converted.\n";
  return out.str();
}

}  // namespace skerrow
