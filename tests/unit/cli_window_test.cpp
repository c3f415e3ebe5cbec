#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "cli/cli_window.h"
#include "workflow/control_ids.h"

namespace skerrow::cli {
namespace {

MessageRequest Message(MessageKind kind, std::string text, MessageIcon icon = MessageIcon::None,
                       MessageButtons buttons = MessageButtons::Ok, std::string details = "") {
  MessageRequest request;
  request.text = std::move(text);
  request.caption = "Message";
  request.icon = icon;
  request.buttons = buttons;
  request.details = std::move(details);
  request.kind = kind;
  return request;
}

struct Printed {
  std::ostringstream out;
  std::ostringstream err;
};

TEST(CliWindow, ProblemsGoToStandardErrorAndSuccessToStandardOutput) {
  struct Case {
    MessageRequest request;
    bool quiet;
    std::string out;
    std::string err;
  };
  const Case cases[] = {
      {Message(MessageKind::Notice, "Please enter Oracle Password.", MessageIcon::Information),
       false, "", "Please enter Oracle Password.\n"},
      {Message(MessageKind::Error, "There is an error to connect with MySQL."), true, "",
       "There is an error to connect with MySQL.\n"},
      {Message(MessageKind::Completed, "Skerrow Database Conversion completed successfully."),
       false, "Skerrow Database Conversion completed successfully.\n", ""},
      {Message(MessageKind::Completed, "Skerrow Database Conversion completed successfully."), true,
       "", ""},
      // The end of a run: its text only; the per-table report in its details is printed
      // after the run.
      {Message(MessageKind::CompletedWithErrors,
               "Skerrow Database Conversion completed with errors.\nEMP: refused",
               MessageIcon::Warning, MessageButtons::Ok, "Table  Created as\nEMP    EMP\n"),
       false, "", "Skerrow Database Conversion completed with errors.\nEMP: refused\n"},
      {Message(MessageKind::Completed,
               "Skerrow Database Conversion completed successfully.\n1 table, 4 rows converted "
               "into DEMO.",
               MessageIcon::None, MessageButtons::Ok, "Table  Created as\nDEPT   DEPT\n"),
       false,
       "Skerrow Database Conversion completed successfully.\n1 table, 4 rows converted into "
       "DEMO.\n",
       ""},
      // A stop leaves tables unconverted: a problem, not a success.
      {Message(MessageKind::Stopped, "Skerrow Database Conversion stopped.\nNot started: EMP.",
               MessageIcon::None, MessageButtons::Ok, "Table  Created as\n"),
       true, "", "Skerrow Database Conversion stopped.\nNot started: EMP.\n"},
      // Other messages' details follow the text, unless the text ends with them already.
      {Message(MessageKind::Error, "There is an error to connect with MySQL.", MessageIcon::None,
               MessageButtons::Ok, "Access denied for user 'x'"),
       false, "", "There is an error to connect with MySQL.\nAccess denied for user 'x'\n"},
      {Message(MessageKind::Error, "The list could not be read: ORA-00942", MessageIcon::Warning,
               MessageButtons::Ok, "ORA-00942"),
       false, "", "The list could not be read: ORA-00942\n"},
      // The kind decides, not the words.
      {Message(MessageKind::Error, "Skerrow Database Conversion completed successfully. Not."),
       false, "", "Skerrow Database Conversion completed successfully. Not.\n"},
      {Message(MessageKind::Completed, "Done."), false, "Done.\n", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.request.text);
    Printed printed;
    CliWindow window(printed.out, printed.err, {.quiet = c.quiet});
    EXPECT_EQ(window.ShowMessage(c.request), MessageAnswer::Ok);
    EXPECT_EQ(printed.out.str(), c.out);
    EXPECT_EQ(printed.err.str(), c.err);
  }
}

TEST(CliWindow, OverwriteIsAnsweredYesOnlyWhenAskedFor) {
  const MessageRequest question =
      Message(MessageKind::ReplaceQuestion,
              "The database sales already exists on the MySQL server. Are you sure you want to "
              "overwrite?",
              MessageIcon::None, MessageButtons::YesNo);
  {
    Printed printed;
    CliWindow window(printed.out, printed.err, {.overwrite = true});
    EXPECT_EQ(window.ShowMessage(question), MessageAnswer::Yes);
    EXPECT_FALSE(window.OverwriteDeclined());
    EXPECT_EQ(printed.out.str(), question.text + " Yes (--overwrite)\n");
    EXPECT_EQ(printed.err.str(), "");
  }
  {
    Printed printed;
    CliWindow window(printed.out, printed.err, {});
    window.ShowSelectionPage("sales");
    EXPECT_EQ(window.ShowMessage(question), MessageAnswer::No);
    EXPECT_TRUE(window.OverwriteDeclined());
    // Says what was kept and how to replace it.
    EXPECT_EQ(printed.err.str().rfind(question.text + " No\n", 0), 0u) << printed.err.str();
    EXPECT_NE(printed.err.str().find("`sales` already exists"), std::string::npos);
    EXPECT_NE(printed.err.str().find("left untouched"), std::string::npos);
    EXPECT_NE(printed.err.str().find("--overwrite"), std::string::npos);
  }
  {
    // --overwrite answers that question only: any other is No, and replaces nothing.
    Printed printed;
    CliWindow window(printed.out, printed.err, {.overwrite = true});
    const MessageRequest exit =
        Message(MessageKind::ExitQuestion, "Are you sure you want to overwrite?",
                MessageIcon::Question, MessageButtons::YesNo);
    EXPECT_EQ(window.ShowMessage(exit), MessageAnswer::No);
    EXPECT_FALSE(window.OverwriteDeclined());
    EXPECT_EQ(printed.err.str(), "Are you sure you want to overwrite? No\n");
  }
}

TEST(CliWindow, HoldsFieldsAndTableChecksForTheWorkflow) {
  Printed printed;
  CliWindow window(printed.out, printed.err, {});
  window.SetControlText(kOracleUserEdit, "scott");
  EXPECT_EQ(window.GetControlText(kOracleUserEdit), "scott");
  EXPECT_EQ(window.GetControlText(kOraclePasswordEdit), "");

  window.ResetTableList(2);
  window.AddTableItem("DEPT");
  window.AddTableItem("EMP");
  window.CheckTable(1);
  EXPECT_EQ(window.TableItemCount(), 2);
  EXPECT_FALSE(window.IsTableItemChecked(0));
  EXPECT_TRUE(window.IsTableItemChecked(1));
  EXPECT_FALSE(window.IsTableItemChecked(2));
  window.ClearTableChecks();
  EXPECT_FALSE(window.IsTableItemChecked(1));

  // A second Next rebuilds the list from scratch.
  window.ResetTableList(1);
  window.AddTableItem("SALGRADE");
  EXPECT_EQ(window.TableItems(), std::vector<std::string>{"SALGRADE"});

  window.ShowSelectionPage("DEMO");
  EXPECT_TRUE(window.SelectionPageShown());
  EXPECT_EQ(window.GetControlText(kDestinationNameEdit), "DEMO");
}

TEST(CliWindow, WithoutTerminalPrintsOneLinePerFinishedTable) {
  Printed printed;
  CliWindow window(printed.out, printed.err, {.terminal = false});
  window.SetTablesProgressRange(2);
  window.ShowProgressPanel();
  window.OnTableRowsProgress("EMP", 7);
  TableReport emp;
  emp.sourceName = "EMP";
  emp.createdName = "EMP";
  emp.rowsRead = 14;
  emp.rowsWritten = 14;
  window.OnTableFinished(emp);
  TableReport big;
  big.sourceName = "BIG";
  big.createdName = "BIG0001";
  big.rowsRead = 200000;
  big.rowsWritten = 199999;
  big.rowsRefused = 1;
  window.OnTableFinished(big);
  window.EndRunDisplay(false);
  EXPECT_EQ(printed.out.str(),
            "EMP: 14 rows read, 14 written, 0 refused (1 of 2 tables done)\n"
            "BIG -> BIG0001: 200,000 rows read, 199,999 written, 1 refused (2 of 2 tables done)\n");
  EXPECT_TRUE(window.ProgressPanelShown());
}

}  // namespace
}  // namespace skerrow::cli
