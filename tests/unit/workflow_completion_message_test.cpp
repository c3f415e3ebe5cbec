#include <gtest/gtest.h>

#include "workflow/completion_message.h"

namespace skerrow {
namespace {

TableReport Created(const std::string& name) {
  TableReport table;
  table.sourceName = name;
  table.createdName = name;
  return table;
}

TEST(CompletionMessageTest, SuccessWhenEveryTableConverted) {
  RunReport report;
  report.tables = {Created("A"), Created("B")};
  report.stopped = true;
  const MessageRequest message = CompletionMessage(report);
  EXPECT_EQ(message.text, "Skerrow Database Conversion completed successfully.");
  EXPECT_EQ(message.caption, "Message");
  EXPECT_EQ(message.icon, MessageIcon::None);
  EXPECT_EQ(message.details, "");
  EXPECT_EQ(message.kind, MessageKind::Completed);
}

TEST(CompletionMessageTest, ListsEveryFailedTableWithItsReason) {
  RunReport report;
  TableReport refused;
  refused.sourceName = "BAD";
  refused.createError = "MySQL refused to create the table: Invalid default value for 'D'";
  TableReport rows = Created("ROWS");
  rows.rowsRefused = 2;
  rows.refusalMessages = {"Data too long for column 'v' at row 1"};
  report.tables = {Created("GOOD"), refused, rows};

  const MessageRequest message = CompletionMessage(report);
  const std::string lines =
      "BAD: MySQL refused to create the table: Invalid default value for 'D'\n"
      "ROWS: 2 row(s) refused by MySQL (first: Data too long for column 'v' at row 1)";
  EXPECT_EQ(message.text, "Skerrow Database Conversion completed with errors.\n" + lines);
  EXPECT_EQ(message.details, lines);
  EXPECT_EQ(message.icon, MessageIcon::Warning);
  EXPECT_EQ(message.kind, MessageKind::CompletedWithErrors);
}

// Rounded values are an error of their table; schema notes are warnings: a run with only
// notes succeeds and offers them as details, a run with errors lists them after the failures.
TEST(CompletionMessageTest, RoundedValuesFailATableAndSchemaNotesFollowAsWarnings) {
  TableReport noted = Created("ITEMS");
  noted.schemaNotes.push_back(
      {SchemaNote::Kind::DefaultDropped, "ADDED", "SYSDATE", "", "it is not a literal"});
  RunReport warnings;
  warnings.tables = {noted};
  const MessageRequest success = CompletionMessage(warnings);
  EXPECT_EQ(success.text, "Skerrow Database Conversion completed successfully.");
  EXPECT_EQ(success.kind, MessageKind::Completed);
  EXPECT_EQ(success.details,
            "Notes:\nITEMS: the default SYSDATE of ADDED was left out: it is not a literal");

  TableReport rounded = Created("ACCOUNTS");
  rounded.roundedValues.Add({"RATIO", 7, "1234567890123456789", "1234567890123456768"});
  rounded.roundedValues.Add({"RATIO", 9, "0.12345678901234567", "0.12345678901234566"});
  RunReport errors;
  errors.tables = {rounded, noted};
  const MessageRequest failure = CompletionMessage(errors);
  const std::string lines =
      "ACCOUNTS: 2 value(s) rounded by MySQL's DOUBLE (first: RATIO row 7: 1234567890123456789 "
      "stored as 1234567890123456768)\n"
      "Notes:\n"
      "ITEMS: the default SYSDATE of ADDED was left out: it is not a literal";
  EXPECT_EQ(failure.text, "Skerrow Database Conversion completed with errors.\n" + lines);
  EXPECT_EQ(failure.details, lines);
  EXPECT_EQ(failure.kind, MessageKind::CompletedWithErrors);
}

TEST(CompletionMessageTest, RunErrorComesFirst) {
  RunReport report;
  report.runError = "The MySQL database `x` could not be created: Access denied (MySQL error 1044)";
  const MessageRequest message = CompletionMessage(report);
  EXPECT_EQ(message.text, "Skerrow Database Conversion completed with errors.\n" + report.runError);
  EXPECT_EQ(message.kind, MessageKind::CompletedWithErrors);
}

}  // namespace
}  // namespace skerrow
