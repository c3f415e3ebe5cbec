// The converter's own SQL texts, run unchanged through SourceConnection against embedded
// instances built from the fixture scripts: the rows and the value kinds must be the ones
// Oracle gives (dictionary numbers as doubles, NUMBER data as exact decimals, DATE as dates,
// RAW/BLOB as bytes, NULL as null).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "db/source_connection.h"
#include "providers/source_providers.h"
#include "support/converter_queries.h"
#include "support/oracle_fixture.h"

namespace skerrow {
namespace {

using test::CatalogQueryText;
using test::ConstraintQueryText;
using test::KeyQueryText;

using test::OpenOracle;
using test::OracleFixture;
using test::QueryRows;

constexpr const char* kTableQuery = "select table_name from user_tables";

// ' doubled, as in an Oracle text literal.
std::string Literal(const std::string& name) {
  std::string out;
  for (char c : name) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out;
}

// " doubled, as in an Oracle quoted identifier.
std::string Quoted(const std::string& name) {
  std::string out = "\"";
  for (char c : name) {
    out += c;
    if (c == '"') out += '"';
  }
  return out + "\"";
}

std::vector<std::string> Sorted(std::vector<std::string> rows) {
  std::sort(rows.begin(), rows.end());
  return rows;
}

TEST(EmbeddedQueries, TableQueryListsTheUsersOwnTablesOnly) {
  OracleFixture oracle("KEYSQ", {"keys.sql"});
  ASSERT_TRUE(oracle.Ok()) << oracle.Error();
  SourceConnection source{StandardSourceProviders()};
  OpenOracle(source, "KEYSQ", "SHOP", "shop_pw");
  EXPECT_EQ(Sorted(QueryRows(source, kTableQuery)),
            (std::vector<std::string>{"TEXT:DEFAULTS", "TEXT:DOCS", "TEXT:ITEMS", "TEXT:LOOSE",
                                      "TEXT:ONLY_BFILE", "TEXT:ONLY_XML", "TEXT:ORDER_LINES",
                                      "TEXT:RULES", "TEXT:TOKENS"}));
  SourceConnection store{StandardSourceProviders()};
  OpenOracle(store, "KEYSQ", "store", "store_pw");  // user names are not case-sensitive
  EXPECT_EQ(QueryRows(store, kTableQuery), std::vector<std::string>{"TEXT:ITEMS"});
}

TEST(EmbeddedQueries, CatalogQueryGivesColumnsInTableOrderWithOraclesKinds) {
  OracleFixture oracle("CLASSICQ", {"classic.sql"});
  ASSERT_TRUE(oracle.Ok()) << oracle.Error();
  SourceConnection source{StandardSourceProviders()};
  OpenOracle(source, "CLASSICQ", "scott", "tiger");
  EXPECT_EQ(QueryRows(source, CatalogQueryText("EMP")),
            (std::vector<std::string>{
                "TEXT:EMPNO | TEXT:NUMBER | DOUBLE:22 | DOUBLE:4 | TEXT:N | NULL",
                "TEXT:ENAME | TEXT:VARCHAR2 | DOUBLE:10 | NULL | TEXT:Y | NULL",
                "TEXT:JOB | TEXT:VARCHAR2 | DOUBLE:9 | NULL | TEXT:Y | NULL",
                "TEXT:MGR | TEXT:NUMBER | DOUBLE:22 | DOUBLE:4 | TEXT:Y | NULL",
                "TEXT:HIREDATE | TEXT:DATE | DOUBLE:7 | NULL | TEXT:Y | NULL",
                "TEXT:SAL | TEXT:NUMBER | DOUBLE:22 | DOUBLE:7 | TEXT:Y | NULL",
                "TEXT:COMM | TEXT:NUMBER | DOUBLE:22 | DOUBLE:7 | TEXT:Y | NULL",
                "TEXT:DEPTNO | TEXT:NUMBER | DOUBLE:22 | DOUBLE:2 | TEXT:Y | NULL",
            }));
  // A table name in another case is another table.
  source.Execute(CatalogQueryText("emp"));
  EXPECT_THROW(source.GetRows(), SourceError);
}

TEST(EmbeddedQueries, CatalogQueryReportsEveryTypeAsOracleWritesIt) {
  OracleFixture oracle("TYPESQ", {"types.sql"});
  ASSERT_TRUE(oracle.Ok()) << oracle.Error();
  SourceConnection source{StandardSourceProviders()};
  OpenOracle(source, "TYPESQ", "TYPES", "types_pw");
  struct Case {
    const char* table;
    std::vector<std::string> rows;
  };
  const std::vector<Case> cases = {
      {"T_NUMBERS",
       {"TEXT:ID | TEXT:NUMBER | DOUBLE:22 | DOUBLE:10 | TEXT:N | NULL",
        "TEXT:N_PLAIN | TEXT:NUMBER | DOUBLE:22 | NULL | TEXT:Y | NULL",
        "TEXT:N_INT | TEXT:NUMBER | DOUBLE:22 | DOUBLE:38 | TEXT:Y | NULL",
        "TEXT:N_MONEY | TEXT:NUMBER | DOUBLE:22 | DOUBLE:12 | TEXT:Y | NULL",
        "TEXT:N_STAR | TEXT:NUMBER | DOUBLE:22 | NULL | TEXT:Y | NULL",
        "TEXT:N_FLOAT | TEXT:FLOAT | DOUBLE:22 | DOUBLE:49 | TEXT:Y | NULL",
        "TEXT:N_BF | TEXT:BINARY_FLOAT | DOUBLE:4 | NULL | TEXT:Y | NULL",
        "TEXT:N_BD | TEXT:BINARY_DOUBLE | DOUBLE:8 | NULL | TEXT:Y | NULL"}},
      {"T_TEXTS",
       {"TEXT:ID | TEXT:NUMBER | DOUBLE:22 | DOUBLE:10 | TEXT:N | NULL",
        "TEXT:V_BYTES | TEXT:VARCHAR2 | DOUBLE:200 | NULL | TEXT:Y | NULL",
        // CHAR length semantics: four bytes a character in AL32UTF8.
        "TEXT:V_CHARS | TEXT:VARCHAR2 | DOUBLE:200 | NULL | TEXT:Y | NULL",
        // National character set AL16UTF16: two bytes a character.
        "TEXT:V_NAT | TEXT:NVARCHAR2 | DOUBLE:80 | NULL | TEXT:Y | NULL",
        "TEXT:C_FIXED | TEXT:CHAR | DOUBLE:5 | NULL | TEXT:Y | NULL",
        "TEXT:C_NAT | TEXT:NCHAR | DOUBLE:6 | NULL | TEXT:Y | NULL",
        "TEXT:V_PLAIN | TEXT:VARCHAR2 | DOUBLE:30 | NULL | TEXT:Y | NULL",
        "TEXT:L_LONG | TEXT:LONG | DOUBLE:0 | NULL | TEXT:Y | NULL"}},
      {"T_LOBS",
       {"TEXT:ID | TEXT:NUMBER | DOUBLE:22 | DOUBLE:10 | TEXT:N | NULL",
        "TEXT:C | TEXT:CLOB | DOUBLE:4000 | NULL | TEXT:Y | NULL",
        "TEXT:NC | TEXT:NCLOB | DOUBLE:4000 | NULL | TEXT:Y | NULL",
        "TEXT:B | TEXT:BLOB | DOUBLE:4000 | NULL | TEXT:Y | NULL"}},
      {"T_BFILES", {"TEXT:F | TEXT:BFILE | DOUBLE:530 | NULL | TEXT:Y | NULL"}},
      {"T_BINARY",
       {"TEXT:ID | TEXT:NUMBER | DOUBLE:22 | DOUBLE:10 | TEXT:N | NULL",
        "TEXT:R | TEXT:RAW | DOUBLE:16 | NULL | TEXT:Y | NULL",
        "TEXT:LR | TEXT:LONG RAW | DOUBLE:0 | NULL | TEXT:Y | NULL"}},
      {"T_DATES",
       {"TEXT:ID | TEXT:NUMBER | DOUBLE:22 | DOUBLE:10 | TEXT:N | NULL",
        "TEXT:D | TEXT:DATE | DOUBLE:7 | NULL | TEXT:Y | NULL",
        "TEXT:TS | TEXT:TIMESTAMP(6) | DOUBLE:11 | NULL | TEXT:Y | NULL",
        "TEXT:TS3 | TEXT:TIMESTAMP(3) | DOUBLE:11 | NULL | TEXT:Y | NULL",
        "TEXT:TS_TZ | TEXT:TIMESTAMP(6) WITH TIME ZONE | DOUBLE:13 | NULL | TEXT:Y | NULL",
        "TEXT:TS_LTZ | TEXT:TIMESTAMP(6) WITH LOCAL TIME ZONE | DOUBLE:11 | NULL | TEXT:Y | "
        "NULL",
        "TEXT:IV_YM | TEXT:INTERVAL YEAR(2) TO MONTH | DOUBLE:5 | DOUBLE:2 | TEXT:Y | NULL",
        "TEXT:IV_DS | TEXT:INTERVAL DAY(3) TO SECOND(2) | DOUBLE:11 | DOUBLE:3 | TEXT:Y | "
        "NULL"}},
      {"T_OBJECTS",
       {"TEXT:ID | TEXT:NUMBER | DOUBLE:22 | DOUBLE:10 | TEXT:N | NULL",
        "TEXT:RID | TEXT:ROWID | DOUBLE:10 | NULL | TEXT:Y | NULL",
        "TEXT:URID | TEXT:UROWID | DOUBLE:4000 | NULL | TEXT:Y | NULL",
        "TEXT:DOC | TEXT:XMLTYPE | DOUBLE:2000 | NULL | TEXT:Y | NULL",
        "TEXT:DOC2 | TEXT:XMLTYPE | DOUBLE:2000 | NULL | TEXT:Y | NULL",
        "TEXT:LINK | TEXT:URITYPE | DOUBLE:2000 | NULL | TEXT:Y | NULL",
        "TEXT:WEB | TEXT:HTTPURITYPE | DOUBLE:2000 | NULL | TEXT:Y | NULL",
        "TEXT:PHONE | TEXT:PHONE_T | DOUBLE:2000 | NULL | TEXT:Y | NULL"}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(QueryRows(source, CatalogQueryText(c.table)), c.rows) << c.table;
}

TEST(EmbeddedQueries, CatalogQueryKeepsDefaultsAsWrittenWithTheirLineBreaks) {
  OracleFixture oracle("DEFAULTSQ", {"keys.sql"});
  ASSERT_TRUE(oracle.Ok()) << oracle.Error();
  SourceConnection source{StandardSourceProviders()};
  OpenOracle(source, "DEFAULTSQ", "SHOP", "shop_pw");
  source.Execute(CatalogQueryText("DEFAULTS"));
  const RowArray rows = source.GetRows();
  ASSERT_EQ(rows.FieldCount(), 6u);
  std::vector<std::string> defaults;
  for (std::size_t row = 0; row < rows.RowCount(); ++row)
    defaults.push_back(rows.At(0, row).Data() + "=" + test::ShowValue(rows.At(5, row)));
  EXPECT_EQ(defaults, (std::vector<std::string>{
                          "ID=NULL",
                          "CREATED=TEXT:SYSDATE\n",
                          "LABEL=TEXT:'text'",
                          "COUNTER=TEXT:(0)",
                          "OWNER_ID=TEXT:UID",
                          "MADE_BY=TEXT:USER",
                          "LEVEL_NO=TEXT:5 -- comment\n",
                          "PAREN=TEXT:'a(b)'",
                          "LOWER_SD=TEXT:sysdate",
                          "PLAIN=TEXT:7 ",
                      }));
}

TEST(EmbeddedQueries, ConstraintQueryFindsEveryConstraintOfTheTableAndNothingForAPlainOne) {
  OracleFixture oracle("CONSQ", {"keys.sql"});
  ASSERT_TRUE(oracle.Ok()) << oracle.Error();
  SourceConnection source{StandardSourceProviders()};
  OpenOracle(source, "CONSQ", "SHOP", "shop_pw");

  // Named constraints by name; unnamed ones with a generated SYS_C name.
  std::vector<std::string> rules = Sorted(QueryRows(source, ConstraintQueryText("RULES")));
  EXPECT_EQ(rules, (std::vector<std::string>{"TEXT:RULES_CODE_UQ | TEXT:U",
                                             "TEXT:RULES_LEVEL_CK | TEXT:C"}));
  std::vector<std::string> items = Sorted(QueryRows(source, ConstraintQueryText("ITEMS")));
  ASSERT_EQ(items.size(), 2u);  // the key, and the NOT NULL of ITEM_ID
  EXPECT_EQ(items[0], "TEXT:ITEMS_PK | TEXT:P");
  EXPECT_EQ(items[1].rfind("TEXT:SYS_C", 0), 0u) << items[1];
  EXPECT_NE(items[1].find("| TEXT:C"), std::string::npos) << items[1];

  // A table without constraints: the result has no rows, and GetRows says so.
  source.Execute(ConstraintQueryText("LOOSE"));
  EXPECT_TRUE(source.EndOfRows());
  try {
    source.GetRows();
    FAIL() << "GetRows on an empty result must fail";
  } catch (const SourceError& error) {
    EXPECT_EQ(error.Code(), kCodeNoCurrentRecord);
  }
}

TEST(EmbeddedQueries, KeyQueryRunsWithItsOddBlanksAndJoinsAcrossSchemas) {
  OracleFixture oracle("KEYQ", {"keys.sql"});
  ASSERT_TRUE(oracle.Ok()) << oracle.Error();
  SourceConnection source{StandardSourceProviders()};
  OpenOracle(source, "KEYQ", "SHOP", "shop_pw");
  struct Case {
    const char* table;
    std::vector<std::string> rows;  // sorted
  };
  const std::vector<Case> cases = {
      // The key of the other schema's same-named table comes too: the query names no owner.
      {"ITEMS",
       {"TEXT:ITEMS | TEXT:ITEM_ID | DOUBLE:1 | TEXT:ENABLED | TEXT:SHOP",
        "TEXT:ITEMS | TEXT:SKU | DOUBLE:1 | TEXT:ENABLED | TEXT:STORE"}},
      {"TOKENS", {"TEXT:TOKENS | TEXT:TOKEN | DOUBLE:1 | TEXT:ENABLED | TEXT:SHOP"}},
      {"DOCS", {"TEXT:DOCS | TEXT:ID | DOUBLE:1 | TEXT:ENABLED | TEXT:SHOP"}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Sorted(QueryRows(source, KeyQueryText(c.table))), c.rows) << c.table;

  // A composite key comes in key position order, which is not the column order.
  EXPECT_EQ(QueryRows(source, KeyQueryText("ORDER_LINES")),
            (std::vector<std::string>{
                "TEXT:ORDER_LINES | TEXT:LINE_NO | DOUBLE:1 | TEXT:ENABLED | TEXT:SHOP",
                "TEXT:ORDER_LINES | TEXT:ORDER_NO | DOUBLE:2 | TEXT:ENABLED | TEXT:SHOP"}));

  // Constraints but no primary key, and no constraints at all: no rows.
  for (const char* table : {"RULES", "LOOSE", "NO_SUCH_TABLE"}) {
    source.Execute(KeyQueryText(table));
    EXPECT_THROW(source.GetRows(), SourceError) << table;
  }
}

TEST(EmbeddedQueries, RowQueryDeliversEachTypeFamilyInItsKind) {
  OracleFixture oracle("CLASSICR", {"classic.sql"});
  ASSERT_TRUE(oracle.Ok()) << oracle.Error();
  SourceConnection source{StandardSourceProviders()};
  // The owner is written upper case in the query; the logon name as typed.
  OpenOracle(source, "CLASSICR", "scott", "tiger");
  const std::vector<std::string> rows = QueryRows(
      source,
      "Select \"EMPNO\",\"ENAME\",\"MGR\",\"HIREDATE\",\"SAL\",\"COMM\" from \"SCOTT\".\"EMP\" w");
  ASSERT_EQ(rows.size(), 14u);
  EXPECT_EQ(rows[0],
            "DECIMAL:7839 | TEXT:KING | NULL | DATE:1981-11-17 00:00:00 | DECIMAL:5000 | NULL");
  // TO_DATE('13-JUL-87', 'dd-mon-rr') - 85
  EXPECT_EQ(rows[4],
            "DECIMAL:7788 | TEXT:SCOTT | DECIMAL:7566 | DATE:1987-04-19 00:00:00 | "
            "DECIMAL:3000 | NULL");
  EXPECT_EQ(rows[7],
            "DECIMAL:7499 | TEXT:ALLEN | DECIMAL:7698 | DATE:1981-02-20 00:00:00 | "
            "DECIMAL:1600 | DECIMAL:300");
  EXPECT_EQ(rows[10],
            "DECIMAL:7844 | TEXT:TURNER | DECIMAL:7698 | DATE:1981-09-08 00:00:00 | "
            "DECIMAL:1500 | DECIMAL:0");
}

// Each select-expression form of the type mapping, on the edge values of the types fixture.
TEST(EmbeddedQueries, RowQueryRunsEverySelectExpressionForm) {
  OracleFixture oracle("TYPESR", {"types.sql"});
  ASSERT_TRUE(oracle.Ok()) << oracle.Error();
  SourceConnection source{StandardSourceProviders()};
  OpenOracle(source, "TYPESR", "types", "types_pw");
  struct Case {
    const char* what;
    const char* sql;
    std::vector<std::string> rows;
  };
  const std::vector<Case> cases = {
      {"plain numbers are exact decimals",
       R"(Select "ID","N_PLAIN","N_INT","N_MONEY","N_STAR","N_FLOAT" from "TYPES"."T_NUMBERS" w)",
       {"DECIMAL:1 | DECIMAL:0 | DECIMAL:0 | DECIMAL:0 | DECIMAL:0 | DECIMAL:0",
        "DECIMAL:2 | DECIMAL:-12.5 | DECIMAL:-99999999999999999999999999999999999999 | "
        "DECIMAL:-1234567890.12 | DECIMAL:-0.001 | DECIMAL:-1.5",
        "DECIMAL:3 | DECIMAL:12345678901234567890123456789012345678 | "
        "DECIMAL:99999999999999999999999999999999999999 | DECIMAL:9999999999.99 | "
        "DECIMAL:123.456 | DECIMAL:3.14159",
        "DECIMAL:4 | NULL | NULL | NULL | NULL | NULL",
        "DECIMAL:5 | DECIMAL:0.000001 | DECIMAL:42 | DECIMAL:7.13 | DECIMAL:2.5 | DECIMAL:-1.25"}},
      {"binary floats through the raw cast are the bytes of Oracle's text form",
       R"(Select utl_raw.cast_to_raw("N_BF"),utl_raw.cast_to_raw("N_BD") from "TYPES"."T_NUMBERS" w)",
       {"BYTES:30 | BYTES:30",                                    // 0 | 0
        "BYTES:2D312E35452B303030 | BYTES:2D322E3235452B303030",  // -1.5E+000
        "BYTES:332E35452B303030 | BYTES:312E30452B313030",        // 1.0E+100
        "NULL | NULL",                                            //
        "BYTES:312E35452B303030 | BYTES:322E35452B303030"}},      // 2.5E+000
      {"binary floats read plainly are doubles",
       R"(Select "N_BF","N_BD" from "TYPES"."T_NUMBERS" w)",
       {"DOUBLE:0 | DOUBLE:0", "DOUBLE:-1.5 | DOUBLE:-2.25", "DOUBLE:3.5 | DOUBLE:1e+100",
        "NULL | NULL", "DOUBLE:1.5 | DOUBLE:2.5"}},
      {"character data is text; '' is NULL; CHAR is blank-padded",
       R"(Select "V_BYTES","V_NAT","C_FIXED","C_NAT","L_LONG" from "TYPES"."T_TEXTS" w)",
       {"TEXT:plain | TEXT:plain | TEXT:ab    | TEXT:x   | TEXT:long text",
        "NULL | NULL | NULL | NULL | NULL",
        "TEXT:O'Brien said \"hi\" | TEXT:naïve café | TEXT:a'b   | TEXT:ü   | TEXT:back\\slash",
        "TEXT:tab\tand\nline | TEXT:€ | TEXT:      | TEXT:日本  | TEXT:question? marks?",
        "TEXT:emoji 😀 here | TEXT:😀 | TEXT:x     | TEXT:a   | TEXT:multi\nline\nliteral",
        "TEXT:semicolon; inside | TEXT:--not a comment | TEXT:/*n*/ | NULL | NULL"}},
      {"RAW through the raw cast is the bytes of its hex text; LONG RAW plainly is bytes",
       R"(Select "ID",utl_raw.cast_to_raw("R"),"LR" from "TYPES"."T_BINARY" w)",
       {"DECIMAL:1 | BYTES:30304646 | BYTES:FF00FF", "DECIMAL:2 | BYTES:4445414442454546 | NULL",
        "DECIMAL:3 | NULL | BYTES:00"}},
      {"CLOB and NCLOB through the raw cast; an empty LOB casts to NULL",
       R"(Select "ID",utl_raw.cast_to_raw("NC") from "TYPES"."T_LOBS" w)",
       {"DECIMAL:1 | NULL", "DECIMAL:2 | NULL",
        "DECIMAL:3 | BYTES:656D6F6A6920F09F988020616E6420272071756F7465", "DECIMAL:4 | BYTES:78"}},
      {"BLOB plainly is bytes, through the text cast it is text",
       R"(Select "B",utl_raw.cast_to_varchar2("B") from "TYPES"."T_LOBS" w)",
       {"BYTES: | NULL", "NULL | NULL",
        "BYTES:00FF00FF7F80 | TEXT:" + std::string("\x00\xFF\x00\xFF\x7F\x80", 6),
        "BYTES:00 | TEXT:" + std::string(1, '\0')}},
      {"DATE plainly is a date, also before 1000 and at the end of 9999",
       R"(Select "ID","D" from "TYPES"."T_DATES" w)",
       {"DECIMAL:1 | DATE:2024-01-15 00:00:00", "DECIMAL:2 | DATE:0099-03-01 00:00:01",
        "DECIMAL:3 | DATE:9999-12-31 23:59:59", "DECIMAL:4 | DATE:0001-01-01 00:00:00",
        "DECIMAL:5 | DATE:2000-03-01 23:15:00", "DECIMAL:6 | NULL"}},
      {"timestamps and intervals through the raw cast are the bytes of their text",
       R"(Select utl_raw.cast_to_raw("TS_TZ"),utl_raw.cast_to_raw("IV_YM"),utl_raw.cast_to_raw("IV_DS") from "TYPES"."T_DATES" w)",
       {// 2024-01-15 10:30:00.000000 +02:00 | +02-06 | +001 02:03:04.50 (the column's precisions)
        "BYTES:323032342D30312D31352031303A33303A30302E303030303030202B30323A3030 | "
        "BYTES:2B30322D3036 | BYTES:2B3030312030323A30333A30342E3530",
        "NULL | NULL | NULL", "NULL | NULL | NULL", "NULL | NULL | NULL", "NULL | NULL | NULL",
        "NULL | NULL | NULL"}},
      {"URI columns through getUrl are their URL text",
       R"(Select "ID",w."LINK".getUrl(),w."WEB".getUrl() from "TYPES"."T_OBJECTS" w)",
       {"DECIMAL:1 | NULL | TEXT:http://example.com/x?y=1", "DECIMAL:2 | NULL | NULL"}},
      {"row identifiers through the raw cast, and an object type plainly",
       R"(Select utl_raw.cast_to_raw("RID"),utl_raw.cast_to_raw("URID"),"PHONE" from "TYPES"."T_OBJECTS" w)",
       {"NULL | NULL | NULL", "NULL | NULL | NULL"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> rows;
    try {
      rows = QueryRows(source, c.sql);
    } catch (const SourceError& error) {
      ADD_FAILURE() << c.what << ": " << FormatSourceError(error);
      continue;
    }
    EXPECT_EQ(rows, c.rows) << c.what << "\n" << c.sql;
  }
}

TEST(EmbeddedQueries, LongClobTextArrivesWhole) {
  OracleFixture oracle("LOBQ", {"types.sql"});
  ASSERT_TRUE(oracle.Ok()) << oracle.Error();
  SourceConnection source{StandardSourceProviders()};
  OpenOracle(source, "LOBQ", "TYPES", "types_pw");
  source.Execute(R"(Select "C",utl_raw.cast_to_raw("C") from "TYPES"."T_LOBS" w)");
  const RowArray rows = source.GetRows();
  ASSERT_EQ(rows.RowCount(), 4u);
  const std::string expected = std::string(4000, 'a') + std::string(4000, 'b') +
                               std::string(4000, 'c') + std::string(4000, 'd') +
                               std::string(4000, 'e') + "END";
  ASSERT_EQ(rows.At(0, 2).Kind(), VariantKind::Text);
  EXPECT_EQ(rows.At(0, 2).Data(), expected);
  ASSERT_EQ(rows.At(1, 2).Kind(), VariantKind::ByteArray);
  EXPECT_EQ(rows.At(1, 2).Data(), expected);
  // EMPTY_CLOB() reads as an empty text, not as NULL.
  EXPECT_EQ(test::ShowValue(rows.At(0, 0)), "TEXT:");
  EXPECT_EQ(test::ShowValue(rows.At(0, 1)), "NULL");
}

// Names with quotes, blanks, lower case and non-ASCII letters, put into the texts the way
// Oracle quotes them: ' doubled inside literals, " doubled inside quoted identifiers.
TEST(EmbeddedQueries, AwkwardNamesWorkWhenQuotedAsOracleQuotesThem) {
  OracleFixture oracle("NAMESQ", {"names.sql"});
  ASSERT_TRUE(oracle.Ok()) << oracle.Error();
  SourceConnection source{StandardSourceProviders()};
  OpenOracle(source, "NAMESQ", "odd", "odd_pw");
  EXPECT_EQ(Sorted(QueryRows(source, kTableQuery)),
            (std::vector<std::string>{"TEXT:Größe", "TEXT:MixedCase", "TEXT:it's",
                                      "TEXT:with blanks", "TEXT:x'; DROP TABLE y; --"}));
  struct Case {
    std::string table;
    std::vector<std::string> columns;  // in table order
    std::string keyColumn;             // empty: no primary key
    std::string row;
  };
  const std::vector<Case> cases = {
      {"it's",
       {"col'quote", "say \"hi\"", "back`tick", "back\\slash"},
       "col'quote",
       "DECIMAL:1 | TEXT:dq | TEXT:bt | TEXT:bs"},
      {"with blanks", {"first name", "lower"}, "", "TEXT:Ann | DECIMAL:1"},
      {"MixedCase", {"Id", "UNQUOTED_COL"}, "Id", "DECIMAL:1 | TEXT:u"},
      {"Größe", {"Länge", "名前"}, "", "DECIMAL:3 | TEXT:名前"},
      {"x'; DROP TABLE y; --", {"a`; DROP DATABASE z; --"}, "", "TEXT:still here"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.table);
    source.Execute(CatalogQueryText(Literal(c.table)));
    const RowArray catalog = source.GetRows();
    ASSERT_EQ(catalog.RowCount(), c.columns.size());
    std::string selectList;
    for (std::size_t i = 0; i < c.columns.size(); ++i) {
      EXPECT_EQ(catalog.At(0, i).Data(), c.columns[i]);
      selectList += (i ? "," : "") + Quoted(c.columns[i]);
    }
    source.Execute(KeyQueryText(Literal(c.table)));
    if (c.keyColumn.empty()) {
      EXPECT_TRUE(source.EndOfRows());
    } else {
      const RowArray key = source.GetRows();
      ASSERT_EQ(key.RowCount(), 1u);
      EXPECT_EQ(key.At(1, 0).Data(), c.keyColumn);
    }
    EXPECT_EQ(QueryRows(source, "Select " + selectList + " from \"ODD\"." + Quoted(c.table) + " w"),
              std::vector<std::string>{c.row});
  }
  // The verbatim texts still serve names without quotes in them.
  EXPECT_EQ(QueryRows(source, CatalogQueryText("with blanks")).size(), 2u);
  // A verbatim quote breaks the literal: an Oracle error, never a crash or a wrong result.
  try {
    source.Execute(CatalogQueryText("it's"));
    FAIL() << "the broken literal must be refused";
  } catch (const SourceError& error) {
    EXPECT_EQ(error.Code(), kCodeUnspecifiedError);
    EXPECT_EQ(error.Description().value_or("").rfind("ORA-", 0), 0u) << FormatSourceError(error);
  }
}

}  // namespace
}  // namespace skerrow
