#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "schema/check_translation.h"
#include "schema/table_keys.h"
#include "support/simple_escape.h"

namespace skerrow {
namespace {

const std::vector<std::string> kColumns = {"SALARY", "JOB_ID", "CODE", "low"};

std::string Escape(std::string_view text) {
  return test::SimpleEscape(text);
}

TEST(CheckTranslation, TranslatesOnlyTheSimpleFormsAndEscapesEveryLiteral) {
  struct Case {
    const char* condition;
    const char* expression;  // nullptr: not translated
  };
  const Case cases[] = {
      {"salary > 0", "`SALARY` > 0"},
      {"salary BETWEEN 1 AND 99999.5", "`SALARY` BETWEEN 1 AND 99999.5"},
      {"\"SALARY\" IS NOT NULL AND salary >= -1e3", "`SALARY` IS NOT NULL AND `SALARY` >= - 1e3"},
      {"job_id IN ('AD_PRES', 'ST_''CLERK')", "`JOB_ID` IN ('AD_PRES', 'ST_''CLERK')"},
      {"NOT (code LIKE 'A%') OR code ^= 'x'", "NOT (`CODE` LIKE 'A%') OR `CODE` <> 'x'"},
      {"\"low\" = ''", "`low` = NULL"},
      {"code = 'a\\b'", "`CODE` = 'a\\\\b'"},
      // A name that is not a converted column, a function, arithmetic, dates.
      {"bonus > 0", nullptr},
      {"email = UPPER(email)", nullptr},
      {"salary * 12 < 100000", nullptr},
      {"salary - 1 > 0", nullptr},
      {"hire_date > DATE '2000-01-01'", nullptr},
      {"\"LOW\" = 1", nullptr},
      // MySQL would read the backslash as an escape where Oracle does not.
      {"code LIKE 'A\\_%'", nullptr},
      {"code LIKE job_id", nullptr},
      {"salary > 1f", nullptr},
      {"(salary > 0", nullptr},
      {"salary > 0)", nullptr},
      {"code = 'open", nullptr},
      {"code = 'x'; DROP TABLE t", nullptr},
      {"", nullptr},
  };
  for (const Case& c : cases) {
    const CheckTranslation result = TranslateCheckCondition(c.condition, kColumns, Escape);
    if (c.expression == nullptr) {
      EXPECT_FALSE(result.translated) << c.condition << " gave " << result.expression;
      EXPECT_FALSE(result.reason.empty()) << c.condition;
    } else {
      EXPECT_TRUE(result.translated) << c.condition << ": " << result.reason;
      EXPECT_EQ(result.expression, c.expression) << c.condition;
    }
  }
  const std::string deep = std::string(100, '(') + "salary > 0" + std::string(100, ')');
  EXPECT_FALSE(TranslateCheckCondition(deep, kColumns, Escape).translated);
}

TEST(CheckTranslation, RecognisesOraclesOwnNotNullChecks) {
  std::string column;
  EXPECT_TRUE(IsNotNullCheck("\"LAST_NAME\" IS NOT NULL", column));
  EXPECT_EQ(column, "LAST_NAME");
  EXPECT_FALSE(IsNotNullCheck("last_name IS NOT NULL AND 1 = 1", column));
  EXPECT_FALSE(IsNotNullCheck("\"LAST_NAME\" IS NULL", column));
}

ColumnDefinitionParts Column(const std::string& name, const std::string& type, long characters,
                             bool notNull = false) {
  ColumnDefinitionParts column;
  column.name = name;
  column.type = type;
  column.length = characters > 0 ? "(" + std::to_string(characters) + ") " : "";
  column.characters = characters;
  column.notNull = notNull;
  return column;
}

std::vector<std::string> Clauses(const TableKeyPlan& plan) {
  std::vector<std::string> clauses;
  for (const auto& part : plan.parts) clauses.push_back(part.clause);
  return clauses;
}

std::vector<std::string> NoteTexts(const TableKeyPlan& plan) {
  std::vector<std::string> texts;
  for (const auto& note : plan.notes) texts.push_back(SchemaNoteText(note));
  return texts;
}

TEST(TableKeyPlan, KeysAreNamedOnceLeaveOutRepeatsAndTellWhatIsNotCarried) {
  TableDefinition definition;
  definition.columns = {Column("ID", "DECIMAL(10,0)", 0, true), Column("EMAIL", "VARCHAR", 25),
                        Column("NOTE", "VARCHAR", 4000), Column("primary", "VARCHAR", 5)};
  TableKeyCatalog catalog;
  catalog.constraints = {
      {"T_PK", 'P', "", true, "T_PK", "", "", "", {"ID"}, "", {}, false},
      {"T_EMAIL_UK", 'U', "", true, "T_EMAIL_UK", "", "", "", {"EMAIL"}, "", {}, false},
      {"SYS_C0010001", 'C', "\"ID\" IS NOT NULL", true, "", "", "", "", {"ID"}, "", {}, false},
      {"T_OFF_UK", 'U', "", false, "", "", "", "", {"NOTE"}, "", {}, false},
      {"T_R_FK", 'R', "", true, "", "X", "P_PK", "CASCADE", {"ID"}, "P", {"PID"}, false},
  };
  catalog.indexes = {
      {"T_PK", "NORMAL", true, {{"ID", "", false}}, false},
      {"T_EMAIL_UK", "NORMAL", true, {{"EMAIL", "", false}}, false},
      {"T_ID_IX", "NORMAL", false, {{"ID", "", false}}, false},
      {"T_NOTE_IX", "FUNCTION-BASED NORMAL", false, {{"SYS_NC00005$", "\"NOTE\"", true}}, false},
      {"t_note_ix", "BITMAP", false, {{"NOTE", "", false}}, false},
      {"PRIMARY", "NORMAL", false, {{"primary", "", false}}, false},
      {"T_UP_IX",
       "FUNCTION-BASED NORMAL",
       false,
       {{"SYS_NC00006$", "UPPER(\"EMAIL\")", false}},
       false},
      {std::string(70, 'L'), "NORMAL", false, {{"EMAIL", "", true}}, false},
  };
  catalog.comments = {{"", "It's a table"}, {"NOTE", "free text"}};
  const TableKeyPlan plan = PlanTableKeys(catalog, definition, true, {}, Escape);
  EXPECT_EQ(Clauses(plan), (std::vector<std::string>{
                               "ADD UNIQUE KEY `T_EMAIL_UK`(`EMAIL`)",
                               "ADD KEY `T_NOTE_IX`(`NOTE`(250) DESC)",
                               "ADD KEY `t_note_ix_2`(`NOTE`(250))",
                               "ADD KEY `PRIMARY_2`(`primary`)",
                               "ADD KEY `" + std::string(64, 'L') + "`(`EMAIL` DESC)",
                               "COMMENT='It''s a table'",
                               "MODIFY COLUMN `NOTE` VARCHAR (4000) COMMENT 'free text'",
                           }));
  EXPECT_EQ(NoteTexts(plan),
            (std::vector<std::string>{
                "unique key T_OFF_UK (NOTE) was left out: it is disabled in the source",
                "index T_ID_IX (ID) was left out: it repeats the key PRIMARY",
                "index t_note_ix (NOTE) became KEY t_note_ix_2: MySQL has no bitmap indexes",
                "index T_UP_IX (UPPER(\"EMAIL\")) was left out: MySQL's keys index columns, not "
                "expressions (a function-based index)",
                "foreign key T_R_FK (ID) REFERENCES P (PID) ON DELETE CASCADE was left out: "
                "MyISAM tables do not keep foreign keys",
            }));
}

TEST(TableKeyPlan, IdentityColumnsBecomeAutoIncrementOnlyWhenTheirValuesFit) {
  TableDefinition definition;
  definition.columns = {Column("ID", "DECIMAL(12,0)", 0, true), Column("NAME", "VARCHAR", 10)};
  TableKeyCatalog catalog;
  catalog.identities = {{"ID", "START WITH: 100, INCREMENT BY: 10, MAX_VALUE: 999"}};
  catalog.comments = {{"ID", "the key"}};

  const TableKeyPlan fits = PlanTableKeys(catalog, definition, false, {{true, 131}}, Escape);
  EXPECT_EQ(Clauses(fits), (std::vector<std::string>{
                               "ADD KEY `ID`(`ID`),MODIFY COLUMN `ID` BIGINT NOT NULL "
                               "AUTO_INCREMENT COMMENT 'the key',AUTO_INCREMENT=131",
                           }));
  EXPECT_EQ(NoteTexts(fits), (std::vector<std::string>{
                                 "the generator of ID START WITH 100 INCREMENT BY 10 was left "
                                 "out: AUTO_INCREMENT goes on by 1 from past the largest copied "
                                 "value",
                             }));

  const TableKeyPlan misfit = PlanTableKeys(catalog, definition, false, {{false, 1}}, Escape);
  ASSERT_EQ(misfit.parts.size(), 1u);
  EXPECT_EQ(misfit.parts[0].clause, "MODIFY COLUMN `ID` DECIMAL(12,0) NOT NULL COMMENT 'the key'");
  ASSERT_EQ(misfit.notes.size(), 1u);
  EXPECT_NE(misfit.notes[0].reason.find("stays DECIMAL(12,0) without AUTO_INCREMENT"),
            std::string::npos);
}

}  // namespace
}  // namespace skerrow
