// What a script declares besides columns and the primary key arrives in MySQL after the rows:
// the HR-style fixture converted through the whole workflow into the real MariaDB sandbox,
// read back from information_schema and tried with the inserts Oracle would have refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "workflow/report_notes.h"
#include "workflow_session.h"

namespace skerrow {
namespace {

using test::MySqlProbe;
using test::WorkflowSession;

// Every table but CUSTOMERS and LOCATIONS, which keys of the selection refer to.
const std::vector<std::string> kSelected = {"REGIONS", "DEPARTMENTS", "EMPLOYEES", "JOB_HISTORY",
                                            "ORDERS",  "ORDER_ITEMS", "ITEM_NOTES"};

class TableKeysTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(session_.Ready()) << session_.NotReadyReason();
    ASSERT_TRUE(session_.Next("hrk", "hrk_pw"));
    session_.Check(kSelected);
    database_ = session_.ScratchDatabase("keys");
    session_.Convert(database_);
  }

  std::vector<std::string> Lines(const std::string& sql) {
    std::vector<std::string> lines;
    const auto rows = session_.Probe().Query(sql);
    EXPECT_TRUE(rows.has_value()) << session_.Probe().Error() << "\n" << sql;
    if (!rows) return lines;
    for (const auto& row : *rows) {
      std::string line;
      for (const auto& value : row) line += (line.empty() ? "" : "|") + value.value_or("NULL");
      lines.push_back(line);
    }
    return lines;
  }

  std::string In() { return "TABLE_SCHEMA = '" + database_ + "'"; }

  const TableReport& Report(const std::string& table) {
    for (const auto& report : session_.State().Report.tables)
      if (report.sourceName == table) return report;
    ADD_FAILURE() << "no report for " << table;
    static const TableReport none;
    return none;
  }

  std::vector<std::string> NoteTexts(const std::string& table) {
    std::vector<std::string> texts;
    for (const auto& note : Report(table).schemaNotes) texts.push_back(SchemaNoteText(note));
    return texts;
  }

  WorkflowSession session_{"HRKEYS", {"hr_keys.sql"}};
  std::string database_;
};

TEST_F(TableKeysTest, InformationSchemaShowsWhatOracleDeclared) {
  EXPECT_EQ(Lines("SELECT TABLE_NAME, INDEX_NAME, NON_UNIQUE, SEQ_IN_INDEX, COLUMN_NAME, "
                  "COLLATION, SUB_PART FROM information_schema.STATISTICS WHERE " +
                  In() + " AND INDEX_NAME <> 'PRIMARY' ORDER BY 1, 2, 4"),
            (std::vector<std::string>{
                "DEPARTMENTS|DEPT_LOCATION_IX|1|1|LOCATION_ID|A|NULL",
                "EMPLOYEES|EMP_DEPARTMENT_IX|1|1|DEPARTMENT_ID|A|NULL",
                "EMPLOYEES|EMP_DEPT_AGAIN_IX|1|1|DEPARTMENT_ID|D|NULL",
                "EMPLOYEES|EMP_EMAIL_UK|0|1|EMAIL|A|NULL",
                "EMPLOYEES|EMP_HIRE_IX|1|1|HIRE_DATE|D|NULL",
                "EMPLOYEES|EMP_JOB_BIX|1|1|JOB_ID|A|NULL",
                "EMPLOYEES|EMP_NAME_IX|1|1|LAST_NAME|A|NULL",
                "EMPLOYEES|EMP_NAME_IX|1|2|FIRST_NAME|A|NULL",
                "EMPLOYEES|FIRST_NAME|0|1|FIRST_NAME|A|NULL",
                "EMPLOYEES|FIRST_NAME|0|2|LAST_NAME|A|NULL",
                "EMPLOYEES|FIRST_NAME|0|3|PHONE_NUMBER|A|NULL",
                "ITEM_NOTES|ITEM_NOTES_NOTE_IX|1|1|NOTE|A|250",
                "ORDER_ITEMS|ORDER_ITEMS_UK|0|1|ORDER_ID|A|NULL",
                "ORDER_ITEMS|ORDER_ITEMS_UK|0|2|PRODUCT_ID|A|NULL",
            }));
  EXPECT_EQ(Lines("SELECT TABLE_NAME, CONSTRAINT_NAME, CHECK_CLAUSE FROM "
                  "information_schema.CHECK_CONSTRAINTS WHERE CONSTRAINT_SCHEMA = '" +
                  database_ + "' ORDER BY 1, 2"),
            (std::vector<std::string>{
                "EMPLOYEES|CONSTRAINT_1|`COMMISSION_PCT` is null or `COMMISSION_PCT` between 0 "
                "and 0.9",
                "EMPLOYEES|EMP_JOB_CK|`JOB_ID` in ('AD_PRES','IT_PROG','SA_REP','ST_\\'CLERK')",
                "EMPLOYEES|EMP_SALARY_MIN|`SALARY` > 0",
                "JOB_HISTORY|JHIST_DATE_INTERVAL|`END_DATE` > `START_DATE`",
                "ORDERS|ORDER_MODE_LOV|`ORDER_MODE` in ('direct','online')",
            }));
  EXPECT_EQ(Lines("SELECT TABLE_NAME, COLUMN_NAME, COLUMN_TYPE, EXTRA, COLUMN_COMMENT FROM "
                  "information_schema.COLUMNS WHERE " +
                  In() + " AND (EXTRA <> '' OR COLUMN_COMMENT <> '') ORDER BY 1, 2"),
            (std::vector<std::string>{
                "DEPARTMENTS|DEPARTMENT_NAME|varchar(30)||A not null column that shows name of "
                "a department. Administration, Marketing, 'IT'...",
                "EMPLOYEES|EMPLOYEE_ID|bigint(20)|auto_increment|Primary key of employees table.",
                "EMPLOYEES|SALARY|double||Monthly salary of the employee. Must be greater than "
                "zero (enforced by constraint emp_salary_min)",
                "ORDERS|ORDER_ID|bigint(20)|auto_increment|",
            }));
  EXPECT_EQ(Lines("SELECT TABLE_NAME, TABLE_COMMENT, AUTO_INCREMENT FROM "
                  "information_schema.TABLES WHERE " +
                  In() + " AND (TABLE_COMMENT <> '' OR AUTO_INCREMENT IS NOT NULL) ORDER BY 1"),
            (std::vector<std::string>{
                "DEPARTMENTS|Departments table that shows details of departments where "
                "employees work.|NULL",
                "EMPLOYEES|employees table. Contains 107 rows. References with departments, "
                "jobs, job_history tables. Contains a self reference.|207",
                "ORDERS||2411",
            }));
}

TEST_F(TableKeysTest, TheConvertedKeysRefuseWhatOracleRefused) {
  MySqlProbe& probe = session_.Probe();
  const std::string employees = "`" + database_ + "`.`EMPLOYEES`";
  struct Case {
    const char* what;
    std::string statement;
    bool accepted;
  };
  const Case cases[] = {
      {"a duplicate e-mail",
       "INSERT INTO " + employees +
           " (LAST_NAME, EMAIL, HIRE_DATE, JOB_ID) VALUES ('Twin', 'SKING', NOW(), 'SA_REP')",
       false},
      {"a salary of zero",
       "INSERT INTO " + employees +
           " (LAST_NAME, EMAIL, HIRE_DATE, JOB_ID, SALARY) VALUES ('Zero', 'ZERO', NOW(), "
           "'SA_REP', 0)",
       false},
      {"a job outside the list",
       "INSERT INTO " + employees +
           " (LAST_NAME, EMAIL, HIRE_DATE, JOB_ID) VALUES ('Odd', 'ODD', NOW(), 'NOPE')",
       false},
      {"a new employee without an id",
       "INSERT INTO " + employees +
           " (LAST_NAME, EMAIL, HIRE_DATE, JOB_ID, SALARY) VALUES ('New', 'NEW', NOW(), "
           "'IT_PROG', 5000)",
       true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(probe.Execute(c.statement), c.accepted) << c.what << ": " << probe.Error();
  EXPECT_EQ(probe.Scalar("SELECT EMPLOYEE_ID FROM " + employees + " WHERE EMAIL = 'NEW'"), "207");
}

TEST_F(TableKeysTest, TheReportNamesWhatWasLeftOutAndWhatWasAdded) {
  const std::vector<std::string> notes = NoteTexts("EMPLOYEES");
  for (const char* expected : {
           "index EMP_UPPER_NAME_IX (UPPER(\"LAST_NAME\")) was left out",
           "index EMP_JOB_BIX (JOB_ID) became KEY EMP_JOB_BIX: MySQL has no bitmap indexes",
           "check EMP_EMAIL_UPPER_CK (email = UPPER(email)) was left out: the condition cannot "
           "be translated",
           "foreign key EMP_MANAGER_FK (MANAGER_ID) REFERENCES EMPLOYEES (EMPLOYEE_ID) was "
           "left out: MyISAM tables do not keep foreign keys",
       }) {
    EXPECT_TRUE(std::any_of(notes.begin(), notes.end(), [&](const std::string& note) {
      return note.starts_with(expected);
    })) << expected;
  }
  // The identity's sequence default is replaced by AUTO_INCREMENT, not lost.
  for (const auto& note : notes) EXPECT_EQ(note.find("ISEQ$$"), std::string::npos) << note;
  const std::vector<std::string> orderNotes = NoteTexts("ORDERS");
  for (const char* expected : {
           "check ORDER_TOTAL_MIN (order_total >= 0) was left out: it is disabled in the source",
           "foreign key ORDERS_CUSTOMER_ID_FK (CUSTOMER_ID) REFERENCES CUSTOMERS (CUSTOMER_ID) "
           "was left out",
           "the generator of ORDER_ID START WITH 2400 INCREMENT BY 10 was left out",
       }) {
    EXPECT_TRUE(std::any_of(orderNotes.begin(), orderNotes.end(), [&](const std::string& note) {
      return note.starts_with(expected);
    })) << expected;
  }
  const auto& added = Report("EMPLOYEES").keysAdded;
  EXPECT_NE(std::find(added.begin(), added.end(), "UNIQUE KEY EMP_EMAIL_UK (EMAIL)"), added.end());
  // Notes are warnings: every table converted.
  EXPECT_TRUE(session_.State().Report.Succeeded());
}

}  // namespace
}  // namespace skerrow
