#include "workflow/run_report_json.h"

#include <cstdint>
#include <ctime>
#include <iomanip>
#include <sstream>

#include "text/utf8.h"

namespace skerrow {
namespace {

using Json = nlohmann::ordered_json;

// Builds the report's values and remembers whether any text needs its bytes replaced.
class ReportJsonBuilder {
 public:
  Json Text(const std::string& text) {
    if (!text::IsValidUtf8(text)) invalidUtf8_ = true;
    return text;
  }
  Json Optional(const std::optional<std::string>& text) {
    return text ? Text(*text) : Json(nullptr);
  }
  Json NonEmpty(const std::string& text) { return text.empty() ? Json(nullptr) : Text(text); }

  Json Table(const TableReport& table) {
    Json messages = Json::array();
    for (const auto& message : table.refusalMessages) messages.push_back(Text(message));
    Json json;
    json["sourceName"] = Text(table.sourceName);
    json["createdName"] = Optional(table.createdName);
    json["createError"] = NonEmpty(table.createError);
    json["keyClauseAdded"] = table.keyClauseAdded;
    json["rowsRead"] = table.rowsRead;
    json["rowsWritten"] = table.rowsWritten;
    json["rowsRefused"] = table.rowsRefused;
    json["refusalMessages"] = std::move(messages);
    json["roundedValues"] = Rounded(table.roundedValues);
    Json added = Json::array();
    for (const auto& key : table.keysAdded) added.push_back(Text(key));
    json["keysAdded"] = std::move(added);
    json["schemaNotes"] = Notes(table.schemaNotes);
    json["abandoned"] = Optional(table.abandoned);
    json["verification"] = table.verification ? Verification(*table.verification) : Json(nullptr);
    json["succeeded"] = table.Succeeded();
    return json;
  }

  // The count, per column, and the first values as source and MySQL hold them.
  Json Rounded(const RoundedValues& rounded) {
    Json columns = Json::array();
    for (const auto& column : rounded.columns)
      columns.push_back({{"column", Text(column.column)}, {"count", column.count}});
    Json examples = Json::array();
    for (const auto& value : rounded.examples)
      examples.push_back({{"column", Text(value.column)},
                          {"row", value.row},
                          {"sourceValue", Text(value.sourceValue)},
                          {"storedValue", Text(value.storedValue)}});
    return {{"count", rounded.count},
            {"columns", std::move(columns)},
            {"examples", std::move(examples)}};
  }

  // What reading the table back found: counts, both digests and the first differences.
  Json Verification(const TableVerification& verification) {
    using Kind = VerificationDifference::Kind;
    Json keys = Json::array();
    for (const auto& name : verification.keyColumns) keys.push_back(Text(name));
    Json notCompared = Json::array();
    for (const auto& name : verification.columnsNotCompared) notCompared.push_back(Text(name));
    Json differences = Json::array();
    for (const auto& difference : verification.differences) {
      const char* kind = difference.kind == Kind::ValueDiffers      ? "valueDiffers"
                         : difference.kind == Kind::MissingInTarget ? "missingInMySql"
                                                                    : "missingInSource";
      differences.push_back({{"kind", kind},
                             {"key", Text(difference.key)},
                             {"column", NonEmpty(difference.column)},
                             {"sourceValue", Optional(difference.sourceValue)},
                             {"targetValue", Optional(difference.targetValue)},
                             {"hex", difference.hex}});
    }
    return {{"keyColumns", std::move(keys)},
            {"columnsNotCompared", std::move(notCompared)},
            {"sourceRows", verification.sourceRows},
            {"targetRows", verification.targetRows},
            {"rowsCompared", verification.rowsCompared},
            {"mismatches", verification.mismatches},
            {"rowsMissingInMySql", verification.rowsMissingInTarget},
            {"rowsMissingInSource", verification.rowsMissingInSource},
            {"refusedRows", verification.refusedRows},
            {"roundedValues", verification.roundedValues},
            {"sourceDigest", NonEmpty(verification.sourceDigest)},
            {"targetDigest", NonEmpty(verification.targetDigest)},
            {"sorted", verification.sorted},
            {"error", Optional(verification.error)},
            {"differences", std::move(differences)},
            {"succeeded", verification.Succeeded()}};
  }

  Json Notes(const std::vector<SchemaNote>& notes) {
    Json list = Json::array();
    for (const auto& note : notes)
      list.push_back({{"kind", SchemaNoteKindName(note.kind)},
                      {"column", Text(note.column)},
                      {"source", Text(note.sourceText)},
                      {"mysqlType", NonEmpty(note.targetType)},
                      {"reason", Text(note.reason)},
                      {"text", Text(SchemaNoteText(note))}});
    return list;
  }

  bool InvalidUtf8Seen() const { return invalidUtf8_; }

 private:
  bool invalidUtf8_ = false;
};

}  // namespace

std::string FormatUtcTimestamp(std::chrono::system_clock::time_point time) {
  const auto millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
  auto seconds = static_cast<std::time_t>(millis / 1000);
  auto fraction = millis % 1000;
  if (fraction < 0) fraction += 1000, --seconds;
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  std::ostringstream text;
  text << std::put_time(&utc, "%Y-%m-%dT%H:%M:%S") << '.' << std::setw(3) << std::setfill('0')
       << fraction << 'Z';
  return text.str();
}

Json RunReportJson(const RunReport& report) {
  ReportJsonBuilder build;
  std::int64_t succeededTables = 0;
  Json tables = Json::array();
  for (const auto& table : report.tables) {
    succeededTables += table.Succeeded() ? 1 : 0;
    tables.push_back(build.Table(table));
  }
  Json notStarted = Json::array();
  for (const auto& name : report.notStarted) notStarted.push_back(build.Text(name));
  Json database = build.Text(report.destinationDatabase);
  Json runError = build.NonEmpty(report.runError);

  Json json;
  json["database"] = std::move(database);
  json["start"] = FormatUtcTimestamp(report.start);
  json["end"] = FormatUtcTimestamp(report.end);
  json["succeeded"] = report.Succeeded();
  json["stopped"] = report.stopped;
  json["verifyOnly"] = report.verifyOnly;
  json["runError"] = std::move(runError);
  json["invalidUtf8Replaced"] = build.InvalidUtf8Seen();
  json["totals"] = {{"tables", report.tables.size()},
                    {"tablesSucceeded", succeededTables},
                    {"rowsRead", report.TotalRowsRead()},
                    {"rowsWritten", report.TotalRowsWritten()},
                    {"rowsRefused", report.TotalRowsRefused()},
                    {"roundedValues", report.TotalRoundedValues()},
                    {"verificationDifferences", report.TotalVerificationDifferences()}};
  json["tables"] = std::move(tables);
  json["notStarted"] = std::move(notStarted);
  return json;
}

void WriteRunReportJson(const RunReport& report, std::ostream& out) {
  out << RunReportJson(report).dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
}

}  // namespace skerrow
