#include "support/golden_files.h"

#include <fstream>
#include <sstream>

#include "workflow/report_notes.h"

namespace skerrow::test {

std::filesystem::path GoldenFile(const FixtureUser& conversion) {
  const std::string stem = std::filesystem::path(conversion.script).stem().string();
  return std::filesystem::path(SKERROW_GOLDEN_DIR) / (stem + "." + conversion.user + ".dump");
}

std::string ShowReport(const RunReport& report) {
  std::string text = "\nreport succeeded=" + std::string(report.Succeeded() ? "yes" : "no") +
                     " runError=" + report.runError + "\n";
  for (const auto& table : report.tables) {
    text += "table " + table.sourceName + " created=" + table.createdName.value_or("(none)") +
            " key=" + (table.keyClauseAdded ? "yes" : "no") +
            " read=" + std::to_string(table.rowsRead) +
            " written=" + std::to_string(table.rowsWritten) +
            " refused=" + std::to_string(table.rowsRefused) + "\n";
    if (!table.createError.empty()) text += "  createError " + table.createError + "\n";
    for (const auto& message : table.refusalMessages) text += "  refusal " + message + "\n";
    if (table.abandoned) text += "  abandoned " + *table.abandoned + "\n";
    if (table.roundedValues.count > 0)
      text += "  rounded " + std::to_string(table.roundedValues.count) + "\n";
    for (const auto& value : table.roundedValues.examples)
      text += "  rounded " + RoundedValueText(value) + "\n";
    for (const auto& note : table.schemaNotes) text += "  note " + SchemaNoteText(note) + "\n";
  }
  return text;
}

std::string ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

}  // namespace skerrow::test
