#include <gtest/gtest.h>

#include "workflow/completion_message.h"
#include "workflow/report_table.h"

namespace skerrow {
namespace {

TableReport Converted(const std::string& name, std::int64_t rows) {
  TableReport table;
  table.sourceName = name;
  table.createdName = name;
  table.rowsRead = table.rowsWritten = rows;
  return table;
}

TableReport Refusing(const std::string& name) {
  TableReport table = Converted(name, 3);
  table.rowsWritten = 1;
  table.rowsRefused = 2;
  table.refusalMessages = {"Data too long for column 'v' at row 1"};
  return table;
}

TableReport NotCreated(const std::string& name) {
  TableReport table;
  table.sourceName = name;
  table.createError = "MySQL refused to create the table: Invalid default value for 'D'";
  return table;
}

RunReport RunOf(std::vector<TableReport> tables, std::vector<std::string> notStarted = {},
                bool stopped = false) {
  RunReport report;
  report.destinationDatabase = "DEMO";
  report.tables = std::move(tables);
  report.notStarted = std::move(notStarted);
  report.stopped = stopped;
  report.completed = true;
  return report;
}

TEST(CompletionMessageTest, SaysHowTheRunEndedThenWhatArrived) {
  struct Case {
    const char* name;
    RunReport report;
    std::string text;
    MessageIcon icon;
    MessageKind kind;
  };
  RunReport lost = RunOf({Converted("DEPT", 4)}, {"EMP", "SALGRADE"});
  lost.runError = "The connection to the MySQL server was lost: gone; not converted: EMP, SALGRADE";
  RunReport refusedDatabase = RunOf({});
  refusedDatabase.runError =
      "The MySQL database `DEMO` could not be created: Access denied (MySQL error 1044)";
  const Case cases[] = {
      {"every table converted", RunOf({Converted("EMP", 14), Converted("SALES", 200'009)}),
       "Skerrow Database Conversion completed successfully.\n"
       "2 tables, 200,023 rows converted into DEMO.",
       MessageIcon::None, MessageKind::Completed},
      {"one table of one row", RunOf({Converted("ONE", 1)}),
       "Skerrow Database Conversion completed successfully.\n"
       "1 table, 1 row converted into DEMO.",
       MessageIcon::None, MessageKind::Completed},
      {"stopped after the first of three", RunOf({Converted("DEPT", 4)}, {"EMP", "SALGRADE"}, true),
       "Skerrow Database Conversion stopped.\n"
       "1 table, 4 rows converted into DEMO.\n"
       "Converted: DEPT.\n"
       "Not started: EMP, SALGRADE.",
       MessageIcon::None, MessageKind::Stopped},
      {"stopped after a failed table", RunOf({NotCreated("BAD")}, {"EMP"}, true),
       "Skerrow Database Conversion stopped.\n"
       "0 tables, 0 rows converted into DEMO.\n"
       "Converted: none.\n"
       "Not started: EMP.\n"
       "BAD: MySQL refused to create the table: Invalid default value for 'D'",
       MessageIcon::Warning, MessageKind::Stopped},
      {"failed tables", RunOf({Converted("GOOD", 2), NotCreated("BAD"), Refusing("ROWS")}),
       "Skerrow Database Conversion completed with errors.\n"
       "2 tables, 3 rows converted into DEMO.\n"
       "BAD: MySQL refused to create the table: Invalid default value for 'D'\n"
       "ROWS: 2 row(s) refused by MySQL (first: Data too long for column 'v' at row 1)",
       MessageIcon::Warning, MessageKind::CompletedWithErrors},
      {"lost connection", lost,
       "Skerrow Database Conversion completed with errors.\n"
       "1 table, 4 rows converted into DEMO.\n" +
           lost.runError,
       MessageIcon::Warning, MessageKind::CompletedWithErrors},
      {"database not created", refusedDatabase,
       "Skerrow Database Conversion completed with errors.\n"
       "0 tables, 0 rows converted into DEMO.\n" +
           refusedDatabase.runError,
       MessageIcon::Warning, MessageKind::CompletedWithErrors},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const MessageRequest message = CompletionMessage(c.report);
    EXPECT_EQ(message.text, c.text);
    EXPECT_EQ(message.caption, "Message");
    EXPECT_EQ(message.icon, c.icon);
    EXPECT_EQ(message.buttons, MessageButtons::Ok);
    EXPECT_EQ(message.kind, c.kind);
    // The details are the per-table report, whichever way the run ended, and where to find
    // the check of the values.
    EXPECT_TRUE(message.details.starts_with(ReportTableText(c.report, "")));
    EXPECT_NE(message.details.find("skerrow-cli --verify-only"), std::string::npos);
  }
}

TEST(CompletionMessageTest, ListsAtMostTenNamesAndCountsTheRest) {
  std::vector<std::string> notStarted;
  for (int i = 1; i <= 13; ++i) notStarted.push_back("T" + std::to_string(i));
  const MessageRequest message =
      CompletionMessage(RunOf({Converted("FIRST", 0)}, notStarted, true));
  EXPECT_NE(message.text.find("\nNot started: T1, T2, T3, T4, T5, T6, T7, T8, T9, T10 and 3 more."),
            std::string::npos)
      << message.text;
  // The details still name every one of them.
  EXPECT_NE(message.details.find("\nT13    (not started)\n"), std::string::npos) << message.details;
}

// Rounded values are an error of their table; schema notes are warnings: a run with only notes
// succeeds and keeps them in its details, a run with errors lists them after the failures.
TEST(CompletionMessageTest, RoundedValuesFailATableAndSchemaNotesFollowAsWarnings) {
  TableReport noted = Converted("ITEMS", 2);
  noted.schemaNotes.push_back(
      {SchemaNote::Kind::DefaultDropped, "ADDED", "SYSDATE", "", "it is not a literal"});
  const MessageRequest success = CompletionMessage(RunOf({noted}));
  EXPECT_EQ(success.text,
            "Skerrow Database Conversion completed successfully.\n"
            "1 table, 2 rows converted into DEMO.");
  EXPECT_EQ(success.kind, MessageKind::Completed);
  EXPECT_NE(success.details.find("note: the default SYSDATE of ADDED was left out: it is not a "
                                 "literal"),
            std::string::npos)
      << success.details;

  TableReport rounded = Converted("ACCOUNTS", 9);
  rounded.roundedValues.Add({"RATIO", 7, "1234567890123456789", "1234567890123456768"});
  rounded.roundedValues.Add({"RATIO", 9, "0.12345678901234567", "0.12345678901234566"});
  const MessageRequest failure = CompletionMessage(RunOf({rounded, noted}));
  EXPECT_EQ(failure.text,
            "Skerrow Database Conversion completed with errors.\n"
            "2 tables, 11 rows converted into DEMO.\n"
            "ACCOUNTS: 2 value(s) rounded by MySQL's DOUBLE (first: RATIO row 7: "
            "1234567890123456789 stored as 1234567890123456768)\n"
            "Notes:\n"
            "ITEMS: the default SYSDATE of ADDED was left out: it is not a literal");
  EXPECT_EQ(failure.kind, MessageKind::CompletedWithErrors);
  EXPECT_NE(failure.details.find("rounded: RATIO row 7"), std::string::npos) << failure.details;
}

TEST(ReportTableTextTest, EveryTableWithItsCountsNotesAndTheTablesNotStarted) {
  RunReport report = RunOf({Converted("EMP", 14), NotCreated("BAD"), Refusing("ROWS")}, {"LATER"});
  report.tables[2].refusalMessages.push_back("Duplicate entry '1' for key 'PRIMARY'");
  report.tables[2].rowsRefused = 5;
  report.tables[2].rowsWritten = 0;
  report.tables[2].rowsRead = 5;
  report.tables[2].abandoned = "the connection was lost";
  report.runError = "The connection to the MySQL server was lost: gone; not converted: LATER";
  EXPECT_EQ(ReportTableText(report, "see --report for more; "),
            "Destination database: DEMO\n"
            "Table  Created as     Read  Written  Refused\n"
            "EMP    EMP              14       14        0\n"
            "BAD    (not created)     0        0        0\n"
            "    not created: MySQL refused to create the table: Invalid default value for 'D'\n"
            "ROWS   ROWS              5        0        5\n"
            "    refused: Data too long for column 'v' at row 1\n"
            "    refused: Duplicate entry '1' for key 'PRIMARY'\n"
            "    (see --report for more; 5 rows refused in all)\n"
            "    rest of the table not copied: the connection was lost\n"
            "LATER  (not started)\n"
            "Total  3 tables         19       14        5\n"
            "The run ended early: The connection to the MySQL server was lost: gone; not "
            "converted: LATER\n");
}

TEST(ReportTableTextTest, ATotalOfOneTableSaysTable) {
  const std::string text = ReportTableText(RunOf({Converted("ONE", 1)}), "");
  EXPECT_NE(text.find("Total  1 table "), std::string::npos) << text;
  EXPECT_EQ(text.find("1 tables"), std::string::npos) << text;
}

}  // namespace
}  // namespace skerrow

namespace skerrow {
namespace {

// A verified table whose MySQL copy lost row 2, changed row 3 and gained row 4.
TableReport VerifiedWithDifferences() {
  using Kind = VerificationDifference::Kind;
  TableReport table = Converted("ACCOUNTS", 3);
  TableVerification& verification = table.verification.emplace();
  verification.keyColumns = {"ID"};
  verification.sourceRows = verification.targetRows = 3;
  verification.rowsCompared = 2;
  verification.mismatches = verification.rowsMissingInTarget = verification.rowsMissingInSource = 1;
  verification.differences = {
      {Kind::MissingInTarget, "ID=2", "", std::nullopt, std::nullopt, false},
      {Kind::ValueDiffers, "ID=3", "AMOUNT", "30", "31", false},
      {Kind::ValueDiffers, "ID=3", "PHOTO", "00FF", std::nullopt, true},
      {Kind::MissingInSource, "ID=4", "", std::nullopt, std::nullopt, false},
  };
  verification.sourceDigest = std::string(64, 'a');
  verification.targetDigest = std::string(64, 'b');
  return table;
}

TEST(CompletionMessageTest, AVerificationNamesItsDifferencesAndCountsThemAsErrors) {
  for (const bool verifyOnly : {false, true}) {
    SCOPED_TRACE(verifyOnly ? "verify only" : "converted and verified");
    RunReport report;
    report.destinationDatabase = "DEMO";
    report.verifyOnly = verifyOnly;
    report.tables = {VerifiedWithDifferences()};
    if (verifyOnly) report.tables[0].rowsWritten = 0;
    EXPECT_FALSE(report.Succeeded());
    EXPECT_EQ(report.TotalVerificationDifferences(), 3);
    const MessageRequest message = CompletionMessage(report);
    EXPECT_EQ(message.kind, MessageKind::CompletedWithErrors);
    EXPECT_NE(message.text.find("ACCOUNTS: verified: 2 rows compared, 1 mismatch, 1 row missing "
                                "in MySQL, 1 row not in Oracle (first: ID=2: in Oracle, missing "
                                "in MySQL)"),
              std::string::npos)
        << message.text;
    if (verifyOnly) {
      EXPECT_NE(message.text.find("1 table of DEMO compared with Oracle: 2 rows compared, 3 "
                                  "differences."),
                std::string::npos)
          << message.text;
    }
    const std::string details = ReportTableText(report, "");
    for (const char* line : {"    difference: ID=2: in Oracle, missing in MySQL\n",
                             "    difference: ID=3, AMOUNT: Oracle 30, MySQL 31\n",
                             "    difference: ID=3, PHOTO: Oracle X'00FF', MySQL NULL\n",
                             "    difference: ID=4: in MySQL only, not in Oracle\n"})
      EXPECT_NE(details.find(line), std::string::npos) << line << details;
    EXPECT_NE(details.find("digest: Oracle " + std::string(64, 'a')), std::string::npos);
    // A verified run has no need of the hint to verify.
    EXPECT_EQ(message.details.find("--verify-only"), std::string::npos);
  }
}

TEST(CompletionMessageTest, AVerificationWithoutDifferencesSucceeds) {
  RunReport report;
  report.destinationDatabase = "DEMO";
  report.verifyOnly = true;
  report.tables = {Converted("EMP", 14)};
  report.tables[0].rowsWritten = 0;
  report.tables[0].verification.emplace().rowsCompared = 14;
  const MessageRequest message = CompletionMessage(report);
  EXPECT_EQ(message.kind, MessageKind::Completed);
  EXPECT_EQ(message.text,
            "Skerrow Database Verification found no differences.\n"
            "1 table of DEMO compared with Oracle: 14 rows compared, 0 differences.");
  // A table that could not be read back is not proof of anything.
  report.tables[0].verification->error = "MySQL has no table EMP in database DEMO";
  EXPECT_FALSE(report.Succeeded());
  EXPECT_NE(CompletionMessage(report).text.find("EMP: not verified: MySQL has no table EMP"),
            std::string::npos);
}

}  // namespace
}  // namespace skerrow
