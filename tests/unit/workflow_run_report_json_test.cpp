// The run report is read back with the JSON library, as any consumer of the file would.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "workflow/run_report_json.h"

namespace skerrow {
namespace {

using Json = nlohmann::ordered_json;

// Parses what WriteRunReportJson wrote; a strict parser refuses invalid UTF-8 and bad escapes.
Json WrittenReport(const RunReport& report) {
  std::ostringstream out;
  WriteRunReportJson(report, out);
  return Json::parse(out.str());
}

TEST(RunReportJson, HoldsEveryTableFieldAndTheTotalsInOrder) {
  RunReport report;
  report.destinationDatabase = "de\"mo";
  report.start = std::chrono::system_clock::time_point(std::chrono::milliseconds(1781086613125));
  report.end = report.start + std::chrono::seconds(2);

  TableReport created;
  created.sourceName = "EMP";
  created.createdName = "EMP0001";
  created.keyClauseAdded = true;
  created.rowsRead = 14;
  created.rowsWritten = 13;
  created.rowsRefused = 1;
  created.refusalMessages = {"Data too long for column 'ENAME' at row 1"};
  TableReport missing;
  missing.sourceName = "BAD\\ONE";
  missing.createError = "Incorrect table name";
  missing.abandoned = "lost";
  TableReport clean;
  clean.sourceName = "DEPT";
  clean.createdName = "DEPT";
  clean.rowsRead = clean.rowsWritten = 4'000'000'000;
  // Keys added after the rows, and one left out: a warning, the table still succeeds.
  clean.keysAdded = {"UNIQUE KEY DEPT_NAME_UK (DNAME)"};
  clean.schemaNotes.push_back({SchemaNote::Kind::LeftOut, "index DEPT_UPPER_IX",
                               "(UPPER(\"DNAME\"))", "", "a function-based index"});
  // Every row arrived, one value not as it was: an error; a default left out: a warning.
  TableReport rounded;
  rounded.sourceName = "ACCOUNTS";
  rounded.createdName = "ACCOUNTS";
  rounded.rowsRead = rounded.rowsWritten = 3;
  rounded.roundedValues.Add({"RATIO", 2, "1234567890123456789", "1234567890123456800"});
  rounded.schemaNotes.push_back(
      {SchemaNote::Kind::DefaultDropped, "OPENED", "SYSTIMESTAMP", "", "it is not a literal"});
  rounded.schemaNotes.push_back(
      {SchemaNote::Kind::ColumnWidened, "NOTE", "VARCHAR2", "TEXT", "row too large"});
  report.tables = {created, missing, clean, rounded};
  report.notStarted = {"SALGRADE", "BONUS"};

  // Compared as ordered objects: the field order is part of what readers see.
  const Json expected = Json::parse(R"json({
    "database": "de\"mo",
    "start": "2026-06-10T10:16:53.125Z",
    "end": "2026-06-10T10:16:55.125Z",
    "succeeded": false,
    "stopped": false,
    "verifyOnly": false,
    "runError": null,
    "invalidUtf8Replaced": false,
    "totals": {"tables": 4, "tablesSucceeded": 1, "rowsRead": 4000000017,
               "rowsWritten": 4000000016, "rowsRefused": 1, "roundedValues": 1,
               "verificationDifferences": 0},
    "tables": [
      {"sourceName": "EMP", "createdName": "EMP0001", "createError": null,
       "keyClauseAdded": true, "rowsRead": 14, "rowsWritten": 13, "rowsRefused": 1,
       "refusalMessages": ["Data too long for column 'ENAME' at row 1"],
       "roundedValues": {"count": 0, "columns": [], "examples": []}, "keysAdded": [],
       "schemaNotes": [],
       "abandoned": null, "verification": null, "succeeded": false},
      {"sourceName": "BAD\\ONE", "createdName": null, "createError": "Incorrect table name",
       "keyClauseAdded": false, "rowsRead": 0, "rowsWritten": 0, "rowsRefused": 0,
       "refusalMessages": [],
       "roundedValues": {"count": 0, "columns": [], "examples": []}, "keysAdded": [],
       "schemaNotes": [],
       "abandoned": "lost", "verification": null, "succeeded": false},
      {"sourceName": "DEPT", "createdName": "DEPT", "createError": null,
       "keyClauseAdded": false, "rowsRead": 4000000000, "rowsWritten": 4000000000,
       "rowsRefused": 0, "refusalMessages": [],
       "roundedValues": {"count": 0, "columns": [], "examples": []}, "keysAdded": ["UNIQUE KEY DEPT_NAME_UK (DNAME)"],
       "schemaNotes": [
         {"kind": "leftOut", "column": "index DEPT_UPPER_IX", "source": "(UPPER(\"DNAME\"))",
          "mysqlType": null, "reason": "a function-based index",
          "text": "index DEPT_UPPER_IX (UPPER(\"DNAME\")) was left out: a function-based index"}],
       "abandoned": null, "verification": null, "succeeded": true},
      {"sourceName": "ACCOUNTS", "createdName": "ACCOUNTS", "createError": null,
       "keyClauseAdded": false, "rowsRead": 3, "rowsWritten": 3, "rowsRefused": 0,
       "refusalMessages": [],
       "roundedValues": {"count": 1, "columns": [{"column": "RATIO", "count": 1}],
                         "examples": [{"column": "RATIO", "row": 2,
                                       "sourceValue": "1234567890123456789",
                                       "storedValue": "1234567890123456800"}]},
       "keysAdded": [],
       "schemaNotes": [
         {"kind": "defaultDropped", "column": "OPENED", "source": "SYSTIMESTAMP",
          "mysqlType": null, "reason": "it is not a literal",
          "text": "the default SYSTIMESTAMP of OPENED was left out: it is not a literal"},
         {"kind": "columnWidened", "column": "NOTE", "source": "VARCHAR2", "mysqlType": "TEXT",
          "reason": "row too large", "text": "NOTE became TEXT: row too large"}],
       "abandoned": null, "verification": null, "succeeded": false}
    ],
    "notStarted": ["SALGRADE", "BONUS"]
})json");
  EXPECT_EQ(WrittenReport(report), expected);
}

TEST(RunReportJson, EmptyRunIsStillAnObject) {
  RunReport report;
  report.runError = "Access denied";
  const Json json = WrittenReport(report);
  EXPECT_EQ(json["tables"], Json::array());
  EXPECT_EQ(json["notStarted"], Json::array());
  EXPECT_EQ(json["runError"], "Access denied");
  EXPECT_EQ(json["start"], "1970-01-01T00:00:00.000Z");
  EXPECT_EQ(json["totals"]["tables"], 0);
}

// Every text field of the report, each a place a message with any bytes can land.
struct TextField {
  const char* name;
  std::function<void(RunReport&, const std::string&)> set;
  std::function<Json(const Json&)> get;
};

const TextField kTextFields[] = {
    {"database", [](RunReport& r, const std::string& t) { r.destinationDatabase = t; },
     [](const Json& j) { return j["database"]; }},
    {"runError", [](RunReport& r, const std::string& t) { r.runError = t; },
     [](const Json& j) { return j["runError"]; }},
    {"sourceName", [](RunReport& r, const std::string& t) { r.tables[0].sourceName = t; },
     [](const Json& j) { return j["tables"][0]["sourceName"]; }},
    {"createdName", [](RunReport& r, const std::string& t) { r.tables[0].createdName = t; },
     [](const Json& j) { return j["tables"][0]["createdName"]; }},
    {"createError", [](RunReport& r, const std::string& t) { r.tables[0].createError = t; },
     [](const Json& j) { return j["tables"][0]["createError"]; }},
    {"refusalMessages",
     [](RunReport& r, const std::string& t) {
       r.tables[0].refusalMessages = {"first", t};
     },
     [](const Json& j) { return j["tables"][0]["refusalMessages"][1]; }},
    {"abandoned", [](RunReport& r, const std::string& t) { r.tables[0].abandoned = t; },
     [](const Json& j) { return j["tables"][0]["abandoned"]; }},
    {"notStarted", [](RunReport& r, const std::string& t) { r.notStarted = {t}; },
     [](const Json& j) { return j["notStarted"][0]; }},
};

TEST(RunReportJson, AnyTextStaysValidJsonAndInvalidUtf8IsReplacedAndSaidSo) {
  struct Case {
    std::string text;
    std::string readBack;
    bool replaced;
  };
  const Case cases[] = {
      {"it's", "it's", false},
      {R"(say "no" C:\temp\)", R"(say "no" C:\temp\)", false},
      {"a\nb\r\tc\b\f", "a\nb\r\tc\b\f", false},
      {std::string("nul\0here\x01\x1f\x7f", 11), std::string("nul\0here\x01\x1f\x7f", 11), false},
      {"Zoë 東京 😀", "Zoë 東京 😀", false},
      // A server message quoting a Latin-1 value, a cut sequence, an overlong form, a
      // surrogate, bytes that never occur in UTF-8: each bad stretch reads as U+FFFD.
      {"Incorrect string value: 'caf\xe9' for column 'v'",
       "Incorrect string value: 'caf\uFFFD' for column 'v'", true},
      {"a\xe6\x9dz", "a\uFFFDz", true},
      {"\xc0\xaf", "\uFFFD\uFFFD", true},
      {"\xed\xa0\x80", "\uFFFD\uFFFD\uFFFD", true},
      {"\xff\xfe", "\uFFFD\uFFFD", true},
  };
  for (const TextField& field : kTextFields) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(field.name) + ": " + c.readBack);
      RunReport report;
      report.tables.resize(1);
      field.set(report, c.text);
      Json json;
      ASSERT_NO_THROW(json = WrittenReport(report));
      EXPECT_EQ(field.get(json), c.readBack);
      EXPECT_EQ(json["invalidUtf8Replaced"], c.replaced);
    }
  }
}

}  // namespace
}  // namespace skerrow

namespace skerrow {
namespace {

TEST(RunReportJson, AVerifiedTableCarriesItsCountsDigestsAndDifferences) {
  RunReport report;
  report.verifyOnly = true;
  TableReport table;
  table.sourceName = table.createdName.emplace("T");
  TableVerification& verification = table.verification.emplace();
  verification.rowsCompared = 5;
  verification.mismatches = 1;
  verification.sourceDigest = "ab";
  verification.targetDigest = "cd";
  verification.differences = {
      {VerificationDifference::Kind::ValueDiffers, "ID=1", "B", "x\xff", "0A", true}};
  report.tables = {table};
  const Json json = WrittenReport(report);
  EXPECT_EQ(json["verifyOnly"], true);
  EXPECT_EQ(json["totals"]["verificationDifferences"], 1);
  const Json& written = json["tables"][0]["verification"];
  EXPECT_EQ(written["rowsCompared"], 5);
  EXPECT_EQ(written["mismatches"], 1);
  EXPECT_EQ(written["sourceDigest"], "ab");
  EXPECT_EQ(written["targetDigest"], "cd");
  EXPECT_EQ(written["succeeded"], false);
  EXPECT_EQ(written["differences"][0],
            Json::parse(R"({"kind": "valueDiffers", "key": "ID=1", "column": "B",
                            "sourceValue": "x\uFFFD", "targetValue": "0A", "hex": true})"));
  EXPECT_EQ(json["invalidUtf8Replaced"], true);
  EXPECT_EQ(json["tables"][0]["succeeded"], false);
}

}  // namespace
}  // namespace skerrow
