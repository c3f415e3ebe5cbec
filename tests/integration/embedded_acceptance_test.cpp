// A script in the style of Oracle's sample schemas, written for SQL*Plus and loaded as it is:
// its tables, columns, keys and rows read back through the converter's own queries.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "db/source_connection.h"
#include "providers/source_providers.h"
#include "support/converter_queries.h"
#include "support/oracle_fixture.h"

namespace skerrow {
namespace {

using test::CatalogQueryText;
using test::KeyQueryText;

using test::OpenOracle;
using test::OracleFixture;
using test::QueryRows;

std::vector<std::string> Sorted(std::vector<std::string> rows) {
  std::sort(rows.begin(), rows.end());
  return rows;
}

class UnseenSampleSchema : public ::testing::Test {
 protected:
  UnseenSampleSchema() : oracle_("OEXSAMPLE", {"unseen_sample.sql"}) {}
  void SetUp() override {
    ASSERT_TRUE(oracle_.Ok()) << oracle_.Error();
    OpenOracle(source_, "OEXSAMPLE", "oex", "oex_pw");
  }
  OracleFixture oracle_;
  SourceConnection source_{StandardSourceProviders()};
};

TEST_F(UnseenSampleSchema, WhatTheLoaderSkipsIsReportedWithItsLine) {
  std::vector<std::string> notices;
  for (const auto& notice : oracle_.Notices()) notices.push_back(notice.ToString());
  const auto has = [&](const std::string& text) {
    return std::find(notices.begin(), notices.end(), text) != notices.end();
  };
  for (const char* expected : {
           "unseen_sample.sql, line 31: skipped SQL*Plus command: SPOOL oex_main.log",
           "unseen_sample.sql, line 47: skipped DROP USER",
           "unseen_sample.sql, line 264: skipped PL/SQL: CREATE OR REPLACE TRIGGER insert_ord_line",
           "unseen_sample.sql, line 291: skipped CREATE VIEW",
           "unseen_sample.sql, line 309: skipped CREATE SYNONYM",
           "unseen_sample.sql, line 442: skipped PL/SQL block: line 443 uses a call of "
           "DBMS_STATS.GATHER_SCHEMA_STATS, which the script loader does not run",
           "unseen_sample.sql, line 450: skipped PL/SQL block: line 453 uses SELECT, which the "
           "script loader does not run",
       })
    EXPECT_TRUE(has(expected)) << expected;
  // Indexes and comments load: nothing says they were skipped.
  for (const auto& notice : notices) {
    EXPECT_EQ(notice.find("skipped CREATE UNIQUE INDEX"), std::string::npos) << notice;
    EXPECT_EQ(notice.find("skipped COMMENT ON"), std::string::npos) << notice;
  }
  // The sequences are created, not skipped.
  EXPECT_EQ(QueryRows(source_, "select SEQUENCE_NAME, LAST_NUMBER from USER_SEQUENCES"),
            (std::vector<std::string>{"TEXT:CUSTOMERS_SEQ | DOUBLE:1000",
                                      "TEXT:ORDERS_SEQ | DOUBLE:1000"}));
  // PROMPT and REM lines are simply read over.
  for (const std::string& notice : notices) {
    EXPECT_EQ(notice.find("PROMPT"), std::string::npos) << notice;
    EXPECT_EQ(notice.find("REM"), std::string::npos) << notice;
  }
}

TEST_F(UnseenSampleSchema, TablesColumnsAndKeysReadBack) {
  EXPECT_EQ(
      Sorted(QueryRows(source_, "select table_name from user_tables")),
      (std::vector<std::string>{"TEXT:CUSTOMERS", "TEXT:INVENTORIES", "TEXT:ORDERS",
                                "TEXT:ORDER_ITEMS", "TEXT:PRODUCT_DESCRIPTIONS",
                                "TEXT:PRODUCT_INFORMATION", "TEXT:PROMOTIONS", "TEXT:WAREHOUSES"}));
  EXPECT_EQ(QueryRows(source_, CatalogQueryText("ORDERS")),
            (std::vector<std::string>{
                "TEXT:ORDER_ID | TEXT:NUMBER | DOUBLE:22 | DOUBLE:12 | TEXT:N | NULL",
                "TEXT:ORDER_DATE | TEXT:TIMESTAMP(6) WITH LOCAL TIME ZONE | DOUBLE:11 | NULL | "
                "TEXT:N | NULL",
                "TEXT:ORDER_MODE | TEXT:VARCHAR2 | DOUBLE:8 | NULL | TEXT:Y | NULL",
                "TEXT:CUSTOMER_ID | TEXT:NUMBER | DOUBLE:22 | DOUBLE:6 | TEXT:N | NULL",
                "TEXT:ORDER_STATUS | TEXT:NUMBER | DOUBLE:22 | DOUBLE:2 | TEXT:Y | NULL",
                "TEXT:ORDER_TOTAL | TEXT:NUMBER | DOUBLE:22 | DOUBLE:8 | TEXT:Y | NULL",
                "TEXT:SALES_REP_ID | TEXT:NUMBER | DOUBLE:22 | DOUBLE:6 | TEXT:Y | NULL",
                "TEXT:PROMOTION_ID | TEXT:NUMBER | DOUBLE:22 | DOUBLE:6 | TEXT:Y | NULL"}));
  EXPECT_EQ(QueryRows(source_, CatalogQueryText("WAREHOUSES")),
            (std::vector<std::string>{
                "TEXT:WAREHOUSE_ID | TEXT:NUMBER | DOUBLE:22 | DOUBLE:3 | TEXT:N | NULL",
                "TEXT:WAREHOUSE_PLAN | TEXT:XMLTYPE | DOUBLE:2000 | NULL | TEXT:Y | NULL",
                "TEXT:WAREHOUSE_NAME | TEXT:VARCHAR2 | DOUBLE:35 | NULL | TEXT:Y | NULL",
                "TEXT:LOCATION_ID | TEXT:NUMBER | DOUBLE:22 | DOUBLE:4 | TEXT:Y | NULL"}));
  EXPECT_EQ(QueryRows(source_, CatalogQueryText("PROMOTIONS")),
            (std::vector<std::string>{
                "TEXT:PROMO_ID | TEXT:NUMBER | DOUBLE:22 | DOUBLE:6 | TEXT:N | NULL",
                "TEXT:PROMO_NAME | TEXT:VARCHAR2 | DOUBLE:20 | NULL | TEXT:Y | NULL",
                // As written, up to the comma that ends the column, line break and all.
                "TEXT:PROMO_START | TEXT:DATE | DOUBLE:7 | NULL | TEXT:Y | TEXT:SYSDATE\n    ",
                "TEXT:PROMO_NOTE | TEXT:VARCHAR2 | DOUBLE:60 | NULL | TEXT:Y | TEXT:'see the "
                "''terms'' page'\n    "}));
  const std::vector<std::string> productColumns =
      QueryRows(source_, CatalogQueryText("PRODUCT_INFORMATION"));
  ASSERT_EQ(productColumns.size(), 11u);
  EXPECT_EQ(productColumns[5],
            "TEXT:WARRANTY_PERIOD | TEXT:INTERVAL YEAR(2) TO MONTH | DOUBLE:5 | DOUBLE:2 | "
            "TEXT:Y | NULL");

  // Named inline constraints and those added by ALTER TABLE ... ADD ( CONSTRAINT ... ).
  EXPECT_EQ(Sorted(QueryRows(source_,
                             "SELECT constraint_name, constraint_type FROM "
                             "user_constraints WHERE table_name = 'ORDERS'")),
            (std::vector<std::string>{"TEXT:ORDERS_CUSTOMER_ID_FK | TEXT:R",
                                      "TEXT:ORDER_CUSTOMER_ID_NN | TEXT:C",
                                      "TEXT:ORDER_DATE_NN | TEXT:C", "TEXT:ORDER_MODE_LOV | TEXT:C",
                                      "TEXT:ORDER_PK | TEXT:P", "TEXT:ORDER_TOTAL_MIN | TEXT:C"}));
  struct Key {
    const char* table;
    std::vector<std::string> rows;
  };
  for (const Key& key : std::vector<Key>{
           {"CUSTOMERS",
            {"TEXT:CUSTOMERS | TEXT:CUSTOMER_ID | DOUBLE:1 | TEXT:ENABLED | TEXT:OEX"}},
           {"PRODUCT_DESCRIPTIONS",
            {"TEXT:PRODUCT_DESCRIPTIONS | TEXT:PRODUCT_ID | DOUBLE:1 | TEXT:ENABLED | TEXT:OEX",
             "TEXT:PRODUCT_DESCRIPTIONS | TEXT:LANGUAGE_ID | DOUBLE:2 | TEXT:ENABLED | TEXT:OEX"}},
           {"INVENTORIES",
            {"TEXT:INVENTORIES | TEXT:PRODUCT_ID | DOUBLE:1 | TEXT:ENABLED | TEXT:OEX",
             "TEXT:INVENTORIES | TEXT:WAREHOUSE_ID | DOUBLE:2 | TEXT:ENABLED | TEXT:OEX"}},
           {"ORDER_ITEMS",
            {"TEXT:ORDER_ITEMS | TEXT:ORDER_ID | DOUBLE:1 | TEXT:ENABLED | TEXT:OEX",
             "TEXT:ORDER_ITEMS | TEXT:LINE_ITEM_ID | DOUBLE:2 | TEXT:ENABLED | TEXT:OEX"}},
           {"PROMOTIONS", {"TEXT:PROMOTIONS | TEXT:PROMO_ID | DOUBLE:1 | TEXT:ENABLED | TEXT:OEX"}},
       })
    EXPECT_EQ(QueryRows(source_, KeyQueryText(key.table)), key.rows) << key.table;
}

TEST_F(UnseenSampleSchema, RowsReadBackAsOracleDeliversThem) {
  EXPECT_EQ(
      QueryRows(
          source_,
          R"(Select "CUSTOMER_ID","CUST_LAST_NAME","CREDIT_LIMIT","CUST_EMAIL","DATE_OF_BIRTH","INCOME_LEVEL" from "OEX"."CUSTOMERS" w)"),
      (std::vector<std::string>{
          "DECIMAL:101 | TEXT:Welles | DECIMAL:100 | TEXT:Constantin.Welles@ANHINGA.EXAMPLE.COM | "
          "DATE:1972-02-20 00:00:00 | TEXT:B: 30,000 - 49,999",
          // '04-MAR-74' read with the session's DD-MON-RR date format.
          "DECIMAL:102 | TEXT:Pacino | DECIMAL:100 | TEXT:Harrison.Pacino@ANHINGA.EXAMPLE.COM | "
          "DATE:1974-03-04 00:00:00 | TEXT:I: 170,000 - 189,999",
          "DECIMAL:103 | TEXT:Taylor | DECIMAL:100 | TEXT:Manisha.Taylor@AUK.EXAMPLE.COM | "
          "DATE:1950-07-18 00:00:00 | NULL",
          "DECIMAL:104 | TEXT:O'Neil | DECIMAL:1200 | NULL | NULL | NULL",
          "DECIMAL:105 | TEXT:Zoë | DECIMAL:3850 | NULL | NULL | NULL"}));
  EXPECT_EQ(
      QueryRows(
          source_,
          R"(Select "ORDER_ID",utl_raw.cast_to_raw("ORDER_DATE"),"ORDER_TOTAL" from "OEX"."ORDERS" w)"),
      (std::vector<std::string>{
          // 2007-08-16 15:34:12.234359
          "DECIMAL:2458 | BYTES:323030372D30382D31362031353A33343A31322E323334333539 | "
          "DECIMAL:78279.6",
          "DECIMAL:2397 | BYTES:323030372D31312D31392031343A34313A35342E363936323131 | "
          "DECIMAL:42283.2",
          "DECIMAL:2454 | BYTES:323030372D31302D30322031373A34393A33342E363738333430 | "
          "DECIMAL:6653.4"}));
  EXPECT_EQ(
      QueryRows(
          source_,
          R"(Select "PRODUCT_ID",utl_raw.cast_to_raw("WARRANTY_PERIOD"),"MIN_PRICE" from "OEX"."PRODUCT_INFORMATION" w)"),
      (std::vector<std::string>{"DECIMAL:1797 | BYTES:2B30312D3030 | DECIMAL:288",  // +01-00
                                "DECIMAL:2459 | BYTES:2B30302D3036 | NULL",         // +00-06
                                "DECIMAL:3127 | NULL | DECIMAL:444.5"}));
  EXPECT_EQ(
      QueryRows(source_,
                R"(Select "LANGUAGE_ID","TRANSLATED_NAME" from "OEX"."PRODUCT_DESCRIPTIONS" w)"),
      (std::vector<std::string>{"TEXT:US | TEXT:Inkjet C/8/HQ",
                                "TEXT:D | TEXT:Tintenstrahldrucker C/8/HQ",
                                "TEXT:JA | TEXT:インクジェット C/8/HQ"}));
  const std::vector<std::string> german =
      QueryRows(source_, R"(Select "TRANSLATED_DESCRIPTION" from "OEX"."PRODUCT_DESCRIPTIONS" w)");
  ASSERT_EQ(german.size(), 3u);
  EXPECT_NE(german[1].find("Auflösung (Fotoqualität)"), std::string::npos) << german[1];
  EXPECT_EQ(QueryRows(source_, R"(Select "UNIT_PRICE","QUANTITY" from "OEX"."ORDER_ITEMS" w)"),
            (std::vector<std::string>{"DECIMAL:48 | DECIMAL:3", "DECIMAL:444.5 | DECIMAL:1",
                                      "DECIMAL:629.1 | DECIMAL:2", "DECIMAL:498 | DECIMAL:14"}));
  // A column left out of an INSERT takes its DEFAULT: the load's SYSDATE, and the text.
  const std::vector<std::string> promotions = QueryRows(
      source_, R"(Select "PROMO_ID","PROMO_START","PROMO_NOTE" from "OEX"."PROMOTIONS" w)");
  ASSERT_EQ(promotions.size(), 2u);
  EXPECT_EQ(promotions[0], "DECIMAL:1 | DATE:2000-01-01 00:00:00 | TEXT:see the 'terms' page");
  EXPECT_EQ(promotions[1].rfind("DECIMAL:2 | DATE:", 0), 0u) << promotions[1];
  EXPECT_NE(promotions[1].find("| TEXT:see the 'terms' page"), std::string::npos);
  // The XMLTYPE column is skipped by a conversion, but the stand-in still reads it plainly.
  const std::vector<std::string> warehouses =
      QueryRows(source_, R"(Select "WAREHOUSE_ID","WAREHOUSE_PLAN" from "OEX"."WAREHOUSES" w)");
  ASSERT_EQ(warehouses.size(), 2u);
  EXPECT_EQ(warehouses[0], "DECIMAL:1 | NULL");
  EXPECT_NE(warehouses[1].find("<Area>25000</Area>"), std::string::npos) << warehouses[1];
}

// A second sample-style script, in the HR manner: the key arrives through a unique index and a
// later ALTER TABLE, a foreign key names no column, constraints are disabled around the inserts.
TEST(HrStyleSchema, LoadsAsWrittenAndReadsBack) {
  OracleFixture oracle("HRSTYLE", {"hr_style.sql"});
  ASSERT_TRUE(oracle.Ok()) << oracle.Error();
  SourceConnection source{StandardSourceProviders()};
  OpenOracle(source, "HRSTYLE", "hr", "hrpw");
  EXPECT_EQ(Sorted(QueryRows(source, "select table_name from user_tables")),
            (std::vector<std::string>{"TEXT:COUNTRIES", "TEXT:EMPLOYEES", "TEXT:REGIONS"}));
  for (const auto& [table, key] : std::vector<std::pair<std::string, std::string>>{
           {"REGIONS", "REGION_ID"}, {"COUNTRIES", "COUNTRY_ID"}, {"EMPLOYEES", "EMPLOYEE_ID"}})
    EXPECT_EQ(QueryRows(source, KeyQueryText(table)),
              (std::vector<std::string>{"TEXT:" + table + " | TEXT:" + key +
                                        " | DOUBLE:1 | TEXT:ENABLED | TEXT:HR"}))
        << table;
  EXPECT_EQ(QueryRows(source, CatalogQueryText("REGIONS")),
            (std::vector<std::string>{
                "TEXT:REGION_ID | TEXT:NUMBER | DOUBLE:22 | NULL | TEXT:N | NULL",
                "TEXT:REGION_NAME | TEXT:VARCHAR2 | DOUBLE:25 | NULL | TEXT:Y | NULL"}));
  EXPECT_EQ(
      QueryRows(
          source,
          R"(Select "EMPLOYEE_ID","LAST_NAME","HIRE_DATE","COMMISSION_PCT","MANAGER_ID" from "HR"."EMPLOYEES" w)"),
      (std::vector<std::string>{
          "DECIMAL:100 | TEXT:King | DATE:2003-06-17 00:00:00 | NULL | NULL",
          "DECIMAL:101 | TEXT:Kochhar | DATE:2005-09-21 00:00:00 | DECIMAL:0.25 | DECIMAL:100"}));
}

}  // namespace
}  // namespace skerrow
