// The script loader on real embedded instances: every fixture loads, Oracle's literal forms
// arrive as the values Oracle would store, the type list and constraint forms reach the
// dictionary, skipped statements are reported with their line, and a real error stops the
// load naming the script and the line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/source_connection.h"
#include "oracle/embedded_instance.h"
#include "oracle/script_loader.h"
#include "providers/source_providers.h"
#include "support/oracle_fixture.h"

namespace skerrow {
namespace {

using test::OpenOracle;
using test::OracleFixture;
using test::QueryRows;

constexpr const char* kPrelude = "CREATE USER lit IDENTIFIED BY lit_pw;\nCONNECT lit/lit_pw\n";

TEST(EmbeddedLoader, EveryFixtureLoads) {
  for (const char* script : {"classic.sql", "types.sql", "keys.sql", "names.sql",
                             "sample_style.sql", "unseen_sample.sql", "hr_style.sql"}) {
    OracleFixture oracle("ALLFIX", {script});
    EXPECT_TRUE(oracle.Ok()) << script << ": " << oracle.Error();
  }
  // Into one instance, one after the other.
  OracleFixture together("TOGETHER", {"classic.sql", "types.sql", "keys.sql", "names.sql",
                                      "sample_style.sql", "unseen_sample.sql", "hr_style.sql"});
  EXPECT_TRUE(together.Ok()) << together.Error();
}

TEST(EmbeddedLoader, LiteralFormsArriveAsOracleStoresThem) {
  struct Case {
    const char* type;
    const char* literal;
    std::string shown;
  };
  const std::vector<Case> cases = {
      {"VARCHAR2(40)", "'O''Brien'", "TEXT:O'Brien"},
      {"VARCHAR2(40)", "q'[it's [bracketed]]'", "TEXT:it's [bracketed]"},
      {"VARCHAR2(40)", "q'{a ; b}'", "TEXT:a ; b"},
      {"VARCHAR2(40)", "q'!x'y!'", "TEXT:x'y"},
      {"VARCHAR2(40)", "''", "NULL"},
      {"VARCHAR2(40)", "NULL", "NULL"},
      {"VARCHAR2(40)", "'a' || 'b' || CHR(10)", "TEXT:ab\n"},
      {"VARCHAR2(40)", "USER", "TEXT:LIT"},
      {"NUMBER", "-12.50", "DECIMAL:-12.5"},
      {"NUMBER", "1e3", "DECIMAL:1000"},
      {"NUMBER", "(2 + 3) * 4 / 8 - 1", "DECIMAL:1.5"},
      {"NUMBER", "-(1.25)", "DECIMAL:-1.25"},
      {"NUMBER(5,1)", "'  7.25 '", "DECIMAL:7.3"},
      {"NUMBER(3)", "12.5", "DECIMAL:13"},
      {"DATE", "DATE '2024-02-29'", "DATE:2024-02-29 00:00:00"},
      {"DATE", "TO_DATE('2024-02-29 13:45:59', 'YYYY-MM-DD HH24:MI:SS')",
       "DATE:2024-02-29 13:45:59"},
      {"DATE", "TO_DATE('17-JUN-03', 'DD-MON-RR')", "DATE:2003-06-17 00:00:00"},
      {"DATE", "TO_DATE('17-JUN-87', 'DD-MON-RR')", "DATE:1987-06-17 00:00:00"},
      {"DATE", "TO_DATE('03/15/1999 11:05 PM', 'MM/DD/YYYY HH:MI AM')", "DATE:1999-03-15 23:05:00"},
      {"DATE", "TO_DATE('31.12.2023', 'DD.MM.YYYY') + 1", "DATE:2024-01-01 00:00:00"},
      {"DATE", "DATE '2024-03-01' - 1", "DATE:2024-02-29 00:00:00"},
      {"DATE", "TIMESTAMP '2020-05-06 07:08:09'", "DATE:2020-05-06 07:08:09"},
      {"TIMESTAMP(3)", "TO_TIMESTAMP('2020-05-06 07:08:09.123456', 'YYYY-MM-DD HH24:MI:SS.FF')",
       "TEXT:2020-05-06 07:08:09.123"},
      {"TIMESTAMP", "TIMESTAMP '2020-05-06 07:08:09.5'", "TEXT:2020-05-06 07:08:09.500000"},
      {"RAW(8)", "HEXTORAW('00ff7F')", "BYTES:00FF7F"},
      {"RAW(8)", "'0A0B'", "BYTES:0A0B"},
      {"BLOB", "EMPTY_BLOB()", "BYTES:"},
      {"CLOB", "EMPTY_CLOB()", "TEXT:"},
      {"CLOB", "TO_CLOB('x') || RPAD('y', 3, 'z')", "TEXT:xyzz"},
      {"INTERVAL DAY(2) TO SECOND(3)", "INTERVAL '3 4:05:06.7891' DAY TO SECOND",
       "TEXT:+03 04:05:06.789"},
      {"INTERVAL YEAR(3) TO MONTH", "INTERVAL '5-2' YEAR TO MONTH", "TEXT:+005-02"},
  };
  OracleFixture oracle("LITERALS", {});
  ASSERT_TRUE(oracle.Ok()) << oracle.Error();
  std::string script = kPrelude;
  for (std::size_t i = 0; i < cases.size(); ++i)
    script += "CREATE TABLE l" + std::to_string(i) + " (v " + cases[i].type + ");\nINSERT INTO l" +
              std::to_string(i) + " VALUES (" + cases[i].literal + ");\n";
  script += "COMMIT;\n";
  ASSERT_TRUE(oracle.LoadText(script, "literals.sql")) << oracle.Error();
  SourceConnection source{StandardSourceProviders()};
  OpenOracle(source, "LITERALS", "LIT", "lit_pw");
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const std::vector<std::string> rows =
        QueryRows(source, "Select \"V\" from \"LIT\".\"L" + std::to_string(i) + "\" w");
    EXPECT_EQ(rows, std::vector<std::string>{cases[i].shown})
        << cases[i].type << " " << cases[i].literal;
  }
  // SYSDATE is the time of the load: a date.
  ASSERT_TRUE(
      oracle.LoadText("CONNECT lit/lit_pw\nCREATE TABLE now_t (d DATE);\n"
                      "INSERT INTO now_t VALUES (SYSDATE);\n"
                      // No COMMIT: EXIT commits, as in SQL*Plus, and ends the script.
                      "EXIT\nINSERT INTO now_t VALUES (SYSDATE);\n",
                      "now.sql"))
      << oracle.Error();
  const std::vector<std::string> now = QueryRows(source, R"(Select "D" from "LIT"."NOW_T" w)");
  ASSERT_EQ(now.size(), 1u);
  EXPECT_EQ(now[0].rfind("DATE:2", 0), 0u) << now[0];
}

TEST(EmbeddedLoader, TypeListAndConstraintFormsReachTheDictionary) {
  OracleFixture oracle("FORMS", {});
  ASSERT_TRUE(oracle.Ok()) << oracle.Error();
  ASSERT_TRUE(oracle.LoadText(std::string(kPrelude) + R"sql(
ALTER SESSION SET CURRENT_SCHEMA = lit;
CREATE TABLE parent (
  id    NUMBER(6) CONSTRAINT parent_pk PRIMARY KEY,
  code  VARCHAR2(10 CHAR) NOT NULL UNIQUE,
  f     FLOAT,
  n     NUMBER(12,2) DEFAULT 0 CHECK (n >= 0),
  s     NVARCHAR2(5),
  c     NCHAR(2),
  lr    LONG RAW,
  tz    TIMESTAMP(2) WITH TIME ZONE,
  ltz   TIMESTAMP WITH LOCAL TIME ZONE,
  ym    INTERVAL YEAR(4) TO MONTH,
  ds    INTERVAL DAY TO SECOND,
  bf    BFILE,
  x     XMLTYPE,
  u     URITYPE,
  h     HTTPURITYPE,
  r     ROWID,
  ur    UROWID
);
CREATE TABLE child (
  parent_id NUMBER(6),
  seq       NUMBER(3),
  note      VARCHAR2(20) DEFAULT 'none',
  CONSTRAINT child_pk PRIMARY KEY (parent_id, seq),
  CONSTRAINT child_parent_fk FOREIGN KEY (parent_id) REFERENCES parent (id)
);
CREATE TABLE later (a NUMBER, b NUMBER);
ALTER TABLE later ADD (CONSTRAINT later_pk PRIMARY KEY (b, a), CONSTRAINT later_ck CHECK (a > 0));
ALTER TABLE later ADD CONSTRAINT later_uq UNIQUE (a);
)sql",
                              "forms.sql"))
      << oracle.Error();
  SourceConnection source{StandardSourceProviders()};
  OpenOracle(source, "FORMS", "LIT", "lit_pw");
  EXPECT_EQ(QueryRows(source,
                      "select COLUMN_NAME, DATA_TYPE, DATA_LENGTH, DATA_PRECISION, NULLABLE from "
                      "USER_TAB_COLUMNS where TABLE_NAME = 'PARENT'"),
            (std::vector<std::string>{
                "TEXT:ID | TEXT:NUMBER | DOUBLE:22 | DOUBLE:6 | TEXT:N",
                "TEXT:CODE | TEXT:VARCHAR2 | DOUBLE:40 | NULL | TEXT:N",
                "TEXT:F | TEXT:FLOAT | DOUBLE:22 | DOUBLE:126 | TEXT:Y",
                "TEXT:N | TEXT:NUMBER | DOUBLE:22 | DOUBLE:12 | TEXT:Y",
                "TEXT:S | TEXT:NVARCHAR2 | DOUBLE:10 | NULL | TEXT:Y",
                "TEXT:C | TEXT:NCHAR | DOUBLE:4 | NULL | TEXT:Y",
                "TEXT:LR | TEXT:LONG RAW | DOUBLE:0 | NULL | TEXT:Y",
                "TEXT:TZ | TEXT:TIMESTAMP(2) WITH TIME ZONE | DOUBLE:13 | NULL | TEXT:Y",
                "TEXT:LTZ | TEXT:TIMESTAMP(6) WITH LOCAL TIME ZONE | DOUBLE:11 | NULL | TEXT:Y",
                "TEXT:YM | TEXT:INTERVAL YEAR(4) TO MONTH | DOUBLE:5 | DOUBLE:4 | TEXT:Y",
                "TEXT:DS | TEXT:INTERVAL DAY(2) TO SECOND(6) | DOUBLE:11 | DOUBLE:2 | TEXT:Y",
                "TEXT:BF | TEXT:BFILE | DOUBLE:530 | NULL | TEXT:Y",
                "TEXT:X | TEXT:XMLTYPE | DOUBLE:2000 | NULL | TEXT:Y",
                "TEXT:U | TEXT:URITYPE | DOUBLE:2000 | NULL | TEXT:Y",
                "TEXT:H | TEXT:HTTPURITYPE | DOUBLE:2000 | NULL | TEXT:Y",
                "TEXT:R | TEXT:ROWID | DOUBLE:10 | NULL | TEXT:Y",
                "TEXT:UR | TEXT:UROWID | DOUBLE:4000 | NULL | TEXT:Y"}));
  const auto types = [&](const std::string& table) {
    std::vector<std::string> rows =
        QueryRows(source,
                  "select constraint_type, constraint_name from user_constraints where "
                  "table_name = '" +
                      table + "' order by constraint_type, constraint_name");
    for (std::string& row : rows)
      if (row.find("TEXT:SYS_C") != std::string::npos)
        row = row.substr(0, row.find(" |")) + " | SYS";
    return rows;
  };
  EXPECT_EQ(types("PARENT"), (std::vector<std::string>{"TEXT:C | SYS", "TEXT:C | SYS",
                                                       "TEXT:P | TEXT:PARENT_PK", "TEXT:U | SYS"}));
  EXPECT_EQ(types("CHILD"),
            (std::vector<std::string>{"TEXT:P | TEXT:CHILD_PK", "TEXT:R | TEXT:CHILD_PARENT_FK"}));
  EXPECT_EQ(types("LATER"),
            (std::vector<std::string>{"TEXT:C | TEXT:LATER_CK", "TEXT:P | TEXT:LATER_PK",
                                      "TEXT:U | TEXT:LATER_UQ"}));
  EXPECT_EQ(QueryRows(source,
                      "select column_name, position from user_cons_columns where "
                      "constraint_name = 'LATER_PK' order by position"),
            (std::vector<std::string>{"TEXT:B | DOUBLE:1", "TEXT:A | DOUBLE:2"}));
}

TEST(EmbeddedLoader, SkippedStatementsAreReportedWithTheirLine) {
  OracleFixture oracle("SKIPS", {});
  ASSERT_TRUE(oracle.Ok()) << oracle.Error();
  ASSERT_TRUE(oracle.LoadText(std::string(kPrelude) +                                 // lines 1-2
                                  "SET PAGESIZE 0\n"                                  // 3
                                  "CREATE TABLE t (a NUMBER);\n"                      // 4
                                  "CREATE INDEX t_ix ON t (a);\n"                     // 5
                                  "CREATE SEQUENCE t_seq;\n"                          // 6
                                  "CREATE OR REPLACE VIEW t_v AS SELECT a FROM t;\n"  // 7
                                  "CREATE SYNONYM t_s FOR t;\n"                       // 8
                                  "COMMENT ON TABLE t IS 'a; b';\n"                   // 9
                                  "GRANT SELECT ON t TO PUBLIC;\n"                    // 10
                                  "SPOOL t.log\n"                                     // 11
                                  "@other_script.sql\n"                               // 12
                                  "CREATE OR REPLACE PROCEDURE p IS\n"                // 13
                                  "BEGIN\n  NULL;\nEND;\n/\n"                         // 14-17
                                  "CREATE OR REPLACE TRIGGER t_trg BEFORE INSERT ON t\n"  // 18
                                  "BEGIN\n  NULL;\nEND;\n/\n"                             // 19-22
                                  "PROMPT done\n"                                         // 23
                                  "REM the end\n",                                        // 24
                              "skips.sql"))
      << oracle.Error();
  std::vector<std::string> notices;
  for (const auto& notice : oracle.Notices()) notices.push_back(notice.ToString());
  const std::vector<std::string> lines = {
      "skips.sql, line 3: ",  "skips.sql, line 5: ",  "skips.sql, line 6: ",
      "skips.sql, line 7: ",  "skips.sql, line 8: ",  "skips.sql, line 9: ",
      "skips.sql, line 10: ", "skips.sql, line 11: ", "skips.sql, line 12: ",
      "skips.sql, line 13: ", "skips.sql, line 18: "};
  ASSERT_EQ(notices.size(), lines.size()) << ::testing::PrintToString(notices);
  for (std::size_t i = 0; i < lines.size(); ++i)
    EXPECT_EQ(notices[i].rfind(lines[i], 0), 0u) << notices[i];
}

// Sample-schema scripts fill object and collection columns through the types' constructors.
TEST(EmbeddedLoader, ConstructorsOfCreatedTypesStoreTheTextOracleShows) {
  OracleFixture oracle("OBJECTS", {});
  ASSERT_TRUE(oracle.Ok()) << oracle.Error();
  ASSERT_TRUE(oracle.LoadText(
      std::string(kPrelude) +
          "CREATE OR REPLACE TYPE address_typ AS OBJECT\n"
          "  ( street VARCHAR2(40), zip NUMBER(5), city VARCHAR2(30) );\n/\n"
          "CREATE TYPE phone_list_typ AS VARRAY(5) OF VARCHAR2(25);\n/\n"
          "CREATE TYPE BODY address_typ AS\n  MEMBER FUNCTION f RETURN NUMBER IS BEGIN RETURN 1; "
          "END;\nEND;\n/\n"
          "CREATE TABLE people (id NUMBER, home address_typ, phones phone_list_typ);\n"
          "INSERT INTO people VALUES (1, address_typ('O''Hare Rd 1', 60666, NULL),\n"
          "  lit.phone_list_typ('+1 312 555 0100', '+1 312 555 0101'));\n"
          "INSERT INTO people VALUES (2, NULL, phone_list_typ());\n",
      "objects.sql"))
      << oracle.Error();
  SourceConnection source{StandardSourceProviders()};
  OpenOracle(source, "OBJECTS", "lit", "lit_pw");
  EXPECT_EQ(
      QueryRows(source, R"(Select "ID","HOME","PHONES" from "LIT"."PEOPLE" w)"),
      (std::vector<std::string>{"DECIMAL:1 | TEXT:ADDRESS_TYP('O''Hare Rd 1', 60666, NULL) | "
                                "TEXT:LIT.PHONE_LIST_TYP('+1 312 555 0100', '+1 312 555 0101')",
                                "DECIMAL:2 | NULL | TEXT:PHONE_LIST_TYP()"}));

  // A function the script never created stays an error.
  auto instance = oracle::EmbeddedInstance::Open(oracle.InstanceDirectory());
  try {
    oracle::LoadScriptText(*instance,
                           "CONNECT lit/lit_pw\nINSERT INTO people VALUES (3, nope(1), NULL);\n",
                           "unknown.sql");
    ADD_FAILURE() << "a call of an unknown function should fail the load";
  } catch (const std::exception& error) {
    EXPECT_NE(std::string(error.what()).find("ORA-00904: \"NOPE\""), std::string::npos)
        << error.what();
  }
}

TEST(EmbeddedLoader, RealErrorsStopTheLoadNamingScriptAndLine) {
  struct Case {
    const char* what;
    std::string body;  // after the two prelude lines
    std::string inMessage;
  };
  const std::vector<Case> cases = {
      {"unknown type", "\nCREATE TABLE t (\n  a NUMBER,\n  b FROB(3));\n", "bad.sql, line 6"},
      {"unclosed literal", "INSERT INTO x VALUES ('abc);\n", "bad.sql, line 3"},
      {"insert into an unknown table", "\n\nINSERT INTO nope VALUES (1);\n", "bad.sql, line 5"},
      {"value too large", "CREATE TABLE t (a VARCHAR2(2));\nINSERT INTO t VALUES ('abc');\n",
       "ORA-12899"},
      {"duplicate key",
       "CREATE TABLE t (a NUMBER PRIMARY KEY);\nINSERT INTO t VALUES (1);\nINSERT INTO t VALUES "
       "(1);\n",
       "bad.sql, line 5"},
      {"too many values", "CREATE TABLE t (a NUMBER);\nINSERT INTO t VALUES (1, 2);\n",
       "ORA-00913"},
      {"unended PL/SQL block", "BEGIN\n  NULL;\nEND;\n", "bad.sql, line 3"},
      {"statement without its semicolon", "CREATE TABLE t (a NUMBER)\n", "bad.sql, line 3"},
  };
  for (const Case& c : cases) {
    OracleFixture oracle("BADLOAD", {});
    ASSERT_TRUE(oracle.Ok()) << oracle.Error();
    auto instance = oracle::EmbeddedInstance::Open(oracle.InstanceDirectory());
    try {
      oracle::LoadScriptText(*instance, std::string(kPrelude) + c.body, "bad.sql");
      ADD_FAILURE() << c.what << ": the load should have failed";
    } catch (const std::exception& error) {
      const std::string message = error.what();
      EXPECT_NE(message.find(c.inMessage), std::string::npos) << c.what << ": " << message;
      EXPECT_NE(message.find("bad.sql, line "), std::string::npos) << c.what << ": " << message;
    }
  }
}

}  // namespace
}  // namespace skerrow
