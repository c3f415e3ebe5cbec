#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <string>

#include "cli/json_report.h"

namespace skerrow::cli {
namespace {

TEST(CliJsonQuote, EscapesWhatJsonRequiresAndKeepsUtf8) {
  struct Case {
    std::string text;
    std::string json;
  };
  const Case cases[] = {
      {"", R"("")"},
      {"it's", R"("it's")"},
      {R"(say "no")", R"("say \"no\"")"},
      {R"(C:\temp\)", R"("C:\\temp\\")"},
      {"a\nb\r\tc\b\f", R"("a\nb\r\tc\b\f")"},
      {std::string("nul\0here", 8), R"("nul\u0000here")"},
      {"\x01\x1f\x7f", R"("\u0001\u001f\u007f")"},
      {"Zoë 東京 😀", "\"Zoë 東京 😀\""},
      // Bytes that are not UTF-8 (a lone Latin-1 byte, a cut sequence, an overlong form,
      // a surrogate) become U+FFFD, so the file stays valid JSON.
      {"caf\xe9", R"("caf\ufffd")"},
      {"\xe6\x9d", R"("\ufffd\ufffd")"},
      {"\xc0\xaf", R"("\ufffd\ufffd")"},
      {"\xed\xa0\x80", R"("\ufffd\ufffd\ufffd")"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.json);
    EXPECT_EQ(JsonQuote(c.text), c.json);
  }
}

TEST(CliJsonReport, HoldsEveryTableFieldAndTheTotals) {
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
  report.tables = {created, missing};

  std::ostringstream json;
  WriteRunReportJson(report, json);
  const std::string expected = R"({
  "database": "de\"mo",
  "start": "2026-06-10T10:16:53.125Z",
  "end": "2026-06-10T10:16:55.125Z",
  "succeeded": false,
  "stopped": false,
  "runError": null,
  "totals": {
    "tables": 2,
    "tablesSucceeded": 0,
    "rowsRead": 14,
    "rowsWritten": 13,
    "rowsRefused": 1
  },
  "tables": [
    {
      "sourceName": "EMP",
      "createdName": "EMP0001",
      "createError": null,
      "keyClauseAdded": true,
      "rowsRead": 14,
      "rowsWritten": 13,
      "rowsRefused": 1,
      "refusalMessages": ["Data too long for column 'ENAME' at row 1"],
      "abandoned": null,
      "succeeded": false
    },
    {
      "sourceName": "BAD\\ONE",
      "createdName": null,
      "createError": "Incorrect table name",
      "keyClauseAdded": false,
      "rowsRead": 0,
      "rowsWritten": 0,
      "rowsRefused": 0,
      "refusalMessages": [],
      "abandoned": "lost",
      "succeeded": false
    }
  ]
}
)";
  EXPECT_EQ(json.str(), expected);
}

TEST(CliJsonReport, EmptyRunIsStillAnObject) {
  RunReport report;
  report.runError = "Access denied";
  std::ostringstream json;
  WriteRunReportJson(report, json);
  EXPECT_NE(json.str().find("\"tables\": []\n}"), std::string::npos) << json.str();
  EXPECT_NE(json.str().find("\"runError\": \"Access denied\""), std::string::npos);
  EXPECT_NE(json.str().find("\"start\": \"1970-01-01T00:00:00.000Z\""), std::string::npos);
}

}  // namespace
}  // namespace skerrow::cli
