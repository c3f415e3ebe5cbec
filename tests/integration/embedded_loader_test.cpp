// The script loader on real embedded instances: every fixture loads, the type list and
// constraint forms reach the dictionary, and constructors of created types store their text.
// The literal forms, the skipped statements and the load errors are cases in tests/cases.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/source_connection.h"
#include "oracle/embedded_instance.h"
#include "oracle/loader/script_loader.h"
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

}  // namespace
}  // namespace skerrow
