#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "workflow_session.h"

namespace skerrow {
namespace {

using test::ReadSessionCounters;
using test::TargetColumn;
using test::WorkflowSession;

// A nullable column; MariaDB writes an absent default of such a column as NULL.
TargetColumn Nullable(const std::string& name, const std::string& type,
                      std::optional<std::string> defaultValue = "NULL") {
  return {name, type, true, std::move(defaultValue), ""};
}

TargetColumn NotNull(const std::string& name, const std::string& type,
                     std::optional<std::string> defaultValue = std::nullopt) {
  return {name, type, false, std::move(defaultValue), ""};
}

TargetColumn Key(const std::string& name, const std::string& type) {
  return {name, type, false, std::nullopt, "PRI"};
}

struct ExpectedTable {
  std::vector<TargetColumn> columns;
  std::vector<std::string> key;
};

using ExpectedSchema = std::map<std::string, ExpectedTable>;

// Converts every table `user` owns into a fresh database and compares what MySQL holds with
// `expected`, table by table.
void ConvertAndCompare(WorkflowSession& session, const std::string& user,
                       const std::string& password, const std::string& stem,
                       const ExpectedSchema& expected) {
  ASSERT_TRUE(session.Next(user, password));
  session.Check();
  const std::string database = session.ScratchDatabase(stem);
  session.Convert(database);

  std::vector<std::string> names;
  for (const auto& [name, table] : expected) names.push_back(name);
  EXPECT_EQ(session.Tables(database), names);
  for (const auto& [name, table] : expected) {
    EXPECT_EQ(session.Columns(database, name), table.columns) << name;
    EXPECT_EQ(session.PrimaryKey(database, name), table.key) << name;
  }
  const RunReport& report = session.State().Report;
  EXPECT_EQ(report.tables.size(), expected.size());
  for (const auto& table : report.tables) {
    EXPECT_EQ(table.createdName, table.sourceName) << table.createError;
    EXPECT_EQ(table.keyClauseAdded, !expected.at(table.sourceName).key.empty()) << table.sourceName;
  }
}

TEST(SchemaTableCreationTest, TheClassicSchemaConverts) {
  WorkflowSession session("CLASSIC", {"classic.sql"});
  ASSERT_TRUE(session.Ready()) << session.NotReadyReason();
  ConvertAndCompare(
      session, "scott", "tiger", "classic",
      {{"BONUS",
        {{Nullable("ENAME", "varchar(10)"), Nullable("JOB", "varchar(9)"),
          Nullable("SAL", "double"), Nullable("COMM", "double")},
         {}}},
       {"DEPT",
        {{Key("DEPTNO", "double"), Nullable("DNAME", "varchar(14)"),
          Nullable("LOC", "varchar(13)")},
         {"DEPTNO"}}},
       {"EMP",
        {{Key("EMPNO", "double"), Nullable("ENAME", "varchar(10)"), Nullable("JOB", "varchar(9)"),
          Nullable("MGR", "double"), Nullable("HIREDATE", "datetime"), Nullable("SAL", "double"),
          Nullable("COMM", "double"), Nullable("DEPTNO", "double")},
         {"EMPNO"}}},
       {"SALGRADE",
        {{Nullable("GRADE", "double"), Nullable("LOSAL", "double"), Nullable("HISAL", "double")},
         {}}}});
  const RunReport& report = session.State().Report;
  EXPECT_TRUE(report.Succeeded());
  EXPECT_EQ(session.Window().Messages().back().text,
            "Skerrow Database Conversion completed successfully.\n4 tables, 23 rows converted "
            "into " +
                report.destinationDatabase + ".");
  const std::string database = report.destinationDatabase;
  EXPECT_EQ(session.RowCount(database, "DEPT"), "4");
  EXPECT_EQ(session.RowCount(database, "EMP"), "14");
  EXPECT_EQ(session.RowCount(database, "SALGRADE"), "5");
  EXPECT_EQ(session.RowCount(database, "BONUS"), "0");
}

TEST(SchemaTableCreationTest, EveryTypeFamilyGetsItsTargetType) {
  WorkflowSession session("TYPES", {"types.sql"});
  ASSERT_TRUE(session.Ready()) << session.NotReadyReason();
  ConvertAndCompare(
      session, "types", "types_pw", "types",
      {{"T_BFILES", {{Nullable("F", "varchar(100)")}, {}}},
       {"T_BINARY",
        {{Key("ID", "double"), Nullable("R", "longtext"), Nullable("LR", "longblob")}, {"ID"}}},
       {"T_DATES",
        {{Key("ID", "double"), Nullable("D", "datetime"), Nullable("TS", "varchar(100)"),
          Nullable("TS3", "varchar(100)"), Nullable("TS_TZ", "varchar(100)"),
          Nullable("TS_LTZ", "varchar(100)"), Nullable("IV_YM", "varchar(100)"),
          Nullable("IV_DS", "varchar(100)")},
         {"ID"}}},
       {"T_LOBS",
        {{Key("ID", "double"), Nullable("C", "longtext"), Nullable("NC", "longtext"),
          Nullable("B", "longblob")},
         {"ID"}}},
       {"T_NUMBERS",
        {{Key("ID", "double"), Nullable("N_PLAIN", "double"), Nullable("N_INT", "decimal(38,0)"),
          Nullable("N_MONEY", "double"), Nullable("N_STAR", "decimal(38,3)"),
          Nullable("N_FLOAT", "double"), Nullable("N_BF", "float"), Nullable("N_BD", "double")},
         {"ID"}}},
       {"T_OBJECTS",
        {{Key("ID", "double"), Nullable("RID", "blob"), Nullable("URID", "blob"),
          Nullable("DOC", "varchar(100)"), Nullable("DOC2", "varchar(100)"),
          Nullable("LINK", "varchar(255)"), Nullable("WEB", "varchar(255)"),
          Nullable("PHONE", "varchar(2000)")},
         {"ID"}}},
       {"T_TEXTS",
        {{Key("ID", "double"), Nullable("V_BYTES", "varchar(200)"),
          Nullable("V_CHARS", "varchar(50)"), Nullable("V_NAT", "varchar(40)"),
          Nullable("C_FIXED", "char(5)"), Nullable("C_NAT", "char(3)"),
          Nullable("V_PLAIN", "varchar(30)"), Nullable("L_LONG", "mediumtext")},
         {"ID"}}}});
  // A CLOB of more than 4000 bytes arrives whole.
  const std::string database = session.State().Report.destinationDatabase;
  EXPECT_EQ(
      session.Probe().Scalar("SELECT CHAR_LENGTH(C) FROM `" + database + "`.T_LOBS WHERE ID = 3"),
      "20003");
}

// Keys (single, composite in key order, RAW with a prefix), no key where the source has none,
// every default form, and no NOT NULL after a skipped column.
TEST(SchemaTableCreationTest, KeysAndDefaultsReadBackAsDeclared) {
  WorkflowSession session("KEYS", {"keys.sql"});
  ASSERT_TRUE(session.Ready()) << session.NotReadyReason();
  ConvertAndCompare(
      session, "shop", "shop_pw", "keys",
      {{"DEFAULTS",
        {{Key("ID", "double"), Nullable("CREATED", "datetime"),
          Nullable("LABEL", "varchar(20)", "'text'"), Nullable("COUNTER", "double", "0"),
          Nullable("OWNER_ID", "double", "0"), Nullable("MADE_BY", "varchar(30)"),
          Nullable("LEVEL_NO", "double", "5"), Nullable("PAREN", "varchar(10)", "'a(b)'"),
          Nullable("LOWER_SD", "datetime"), NotNull("PLAIN", "double", "7")},
         {"ID"}}},
       {"DOCS",
        {{Key("ID", "double"), Nullable("BODY", "varchar(100)"), Nullable("TITLE", "varchar(40)")},
         {"ID"}}},
       {"ITEMS",
        {{Key("ITEM_ID", "double"), Nullable("TITLE", "varchar(80)", "'none'"),
          Nullable("ADDED", "datetime")},
         {"ITEM_ID"}}},
       {"LOOSE", {{Nullable("A", "double"), Nullable("B", "varchar(10)")}, {}}},
       {"ONLY_BFILE", {{Nullable("F", "varchar(100)")}, {}}},
       {"ONLY_XML", {{Nullable("BODY", "varchar(100)")}, {}}},
       {"ORDER_LINES",
        {{Key("ORDER_NO", "double"), Key("LINE_NO", "double"), Nullable("ITEM_ID", "double"),
          Nullable("QTY", "double", "0")},
         {"LINE_NO", "ORDER_NO"}}},
       {"RULES", {{Nullable("CODE", "varchar(10)"), Nullable("LEVEL_NO", "double")}, {}}},
       {"TOKENS", {{Key("TOKEN", "longtext"), Nullable("LABEL", "varchar(20)")}, {"TOKEN(250)"}}}});
}

// SHOP and STORE each own an ITEMS, keyed on different columns. Each conversion keys its own
// table on its own key only.
TEST(SchemaTableCreationTest, TwoOwnersSameNamedTablesKeepTheirOwnKeys) {
  WorkflowSession session("KEYS", {"keys.sql"});
  ASSERT_TRUE(session.Ready()) << session.NotReadyReason();

  ASSERT_TRUE(session.Next("shop", "shop_pw"));
  session.Check({"ITEMS"});
  const std::string shop = session.ScratchDatabase("shop");
  session.Convert(shop);
  EXPECT_EQ(session.PrimaryKey(shop, "ITEMS"), (std::vector<std::string>{"ITEM_ID"}));

  ASSERT_TRUE(session.Next("store", "store_pw"));
  session.Check({"ITEMS"});
  const std::string store = session.ScratchDatabase("store");
  session.Convert(store);
  EXPECT_EQ(session.Columns(store, "ITEMS"),
            (std::vector<TargetColumn>{Nullable("ITEM_ID", "double"), Key("SKU", "varchar(20)")}));
  EXPECT_EQ(session.PrimaryKey(store, "ITEMS"), (std::vector<std::string>{"SKU"}));
  EXPECT_EQ(session.RowCount(store, "ITEMS"), "1");
}

// Another client created ITEMS and ITEMS0001 in the destination after it was prepared: the
// table is created as ITEMS00010001 and its rows go there; the other tables are left alone.
TEST(SchemaTableCreationTest, ATableThatExistsAlreadyIsCreatedUnderTheNextName) {
  WorkflowSession session("KEYS", {"keys.sql"});
  ASSERT_TRUE(session.Ready()) << session.NotReadyReason();
  ASSERT_TRUE(session.Next("shop", "shop_pw"));
  session.Check({"ITEMS"});
  const std::string database = session.ScratchDatabase("exists");
  auto& probe = session.Probe();
  session.Window().SetCallHook([&](const std::string& call) {
    if (call != "ShowProgressPanel()") return;
    for (const char* name : {"ITEMS", "ITEMS0001"}) {
      EXPECT_TRUE(probe.Execute("CREATE TABLE `" + database + "`." + name + " (v INT)"))
          << probe.Error();
      EXPECT_TRUE(probe.Execute("INSERT INTO `" + database + "`." + name + " VALUES (9)"));
    }
  });
  session.Convert(database);
  session.Window().SetCallHook(nullptr);

  const RunReport& report = session.State().Report;
  ASSERT_EQ(report.tables.size(), 1u);
  EXPECT_EQ(report.tables[0].createdName, "ITEMS00010001");
  EXPECT_TRUE(report.tables[0].keyClauseAdded);
  EXPECT_EQ(session.Tables(database),
            (std::vector<std::string>{"ITEMS", "ITEMS0001", "ITEMS00010001"}));
  EXPECT_EQ(session.Columns(database, "ITEMS00010001"),
            (std::vector<TargetColumn>{Key("ITEM_ID", "double"),
                                       Nullable("TITLE", "varchar(80)", "'none'"),
                                       Nullable("ADDED", "datetime")}));
  EXPECT_EQ(session.RowCount(database, "ITEMS00010001"), "2");
  EXPECT_EQ(session.Columns(database, "ITEMS"),
            (std::vector<TargetColumn>{Nullable("v", "int(11)")}));
  EXPECT_EQ(session.RowCount(database, "ITEMS"), "1");
  const std::string message = session.Window().Messages().back().text;
  EXPECT_EQ(message.substr(0, message.find('\n')),
            "Skerrow Database Conversion completed successfully.");
}

// Seventy CHAR(240) columns make a row larger than MySQL allows, and turning the one VARCHAR
// into TEXT does not help: the table is refused after that one further attempt, reported with
// the server's message, and the run goes on with the next table. It is not tried again under
// another name either.
TEST(SchemaTableCreationTest, ADefinitionTheServerRefusesIsReportedWithoutRetrying) {
  WorkflowSession session("WIDE", {});
  ASSERT_TRUE(session.Ready()) << session.NotReadyReason();
  std::string wideColumns;
  for (int i = 1; i <= 70; ++i) wideColumns += ", c" + std::to_string(i) + " CHAR(240)";
  ASSERT_TRUE(
      session.Oracle().LoadText("CREATE USER wide IDENTIFIED BY wide_pw;\n"
                                "CONNECT wide/wide_pw\n"
                                "CREATE TABLE a_first (id NUMBER(5));\n"
                                "CREATE TABLE b_wide (id NUMBER(5), note VARCHAR2(10)" +
                                wideColumns +
                                ");\n"
                                "CREATE TABLE c_last (id NUMBER(5));\n"
                                "INSERT INTO a_first VALUES (1);\n"
                                "INSERT INTO b_wide (id) VALUES (2);\n"
                                "INSERT INTO c_last VALUES (3);\n"
                                "COMMIT;\n"));
  ASSERT_TRUE(session.Next("wide", "wide_pw"));
  ASSERT_EQ(session.Window().TableItems(),
            (std::vector<std::string>{"A_FIRST", "B_WIDE", "C_LAST"}));
  session.Check();
  const std::string database = session.ScratchDatabase("refused");

  auto createTables = [&]() -> long {
    MYSQL* handle = session.State().Target.Handle();
    if (mysql_query(handle, "SHOW SESSION STATUS LIKE 'Com_create_table'") != 0) return -1;
    MYSQL_RES* result = mysql_store_result(handle);
    MYSQL_ROW row = result ? mysql_fetch_row(result) : nullptr;
    const long value = row ? std::atol(row[1]) : -1;
    if (result) mysql_free_result(result);
    return value;
  };
  const long before = createTables();
  session.Convert(database);
  const long after = createTables();
  // One statement per table, and one more for the refused one with its VARCHAR as TEXT.
  EXPECT_EQ(after - before, 4);

  EXPECT_EQ(session.Tables(database), (std::vector<std::string>{"A_FIRST", "C_LAST"}));
  const RunReport& report = session.State().Report;
  ASSERT_EQ(report.tables.size(), 3u);
  EXPECT_FALSE(report.tables[1].createdName.has_value());
  EXPECT_NE(report.tables[1].createError.find("1118"), std::string::npos)
      << report.tables[1].createError;
  EXPECT_NE(report.tables[1].createError.find("Row size too large"), std::string::npos)
      << report.tables[1].createError;
  ASSERT_EQ(report.tables[1].schemaNotes.size(), 1u);
  EXPECT_EQ(report.tables[1].schemaNotes[0].column, "NOTE");
  EXPECT_EQ(session.RowCount(database, "C_LAST"), "1");
  const std::string message = session.Window().Messages().back().text;
  EXPECT_EQ(message.rfind("Skerrow Database Conversion completed with errors.\n", 0), 0u)
      << message;
  EXPECT_NE(message.find("B_WIDE: "), std::string::npos) << message;
  EXPECT_EQ(message.find("A_FIRST"), std::string::npos) << message;
}

}  // namespace
}  // namespace skerrow
