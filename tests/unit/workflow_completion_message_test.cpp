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

TEST(CompletionMessageTest, RunErrorComesFirst) {
  RunReport report;
  report.runError = "The MySQL database `x` could not be created: Access denied (MySQL error 1044)";
  const MessageRequest message = CompletionMessage(report);
  EXPECT_EQ(message.text, "Skerrow Database Conversion completed with errors.\n" + report.runError);
  EXPECT_EQ(message.kind, MessageKind::CompletedWithErrors);
}

}  // namespace
}  // namespace skerrow
