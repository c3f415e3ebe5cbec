// Install scripts as Oracle runs them, end to end as a user runs them: skerrow-oracle loads the
// script into an instance, skerrow-cli converts every table, and every row arrives in MySQL.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/mysql_sandbox.h"
#include "support/oracle_fixture.h"
#include "support/program_run.h"

namespace skerrow {
namespace {

namespace fs = std::filesystem;

class ScriptsEndToEnd : public testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("skerrow-scripts-" + std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_);
    sandbox_ = test::RequireSandbox();
    ASSERT_TRUE(sandbox_);
    probe_.emplace(*sandbox_);
    ASSERT_TRUE(probe_->Connected()) << probe_->Error();
  }
  void TearDown() override { fs::remove_all(root_); }

  test::ProgramRun Run(const std::string& program, const std::vector<std::string>& args) {
    const fs::path path = program == "skerrow-cli"
                              ? fs::path(SKERROW_BINARY_DIR) / "src/cli/skerrow-cli"
                              : fs::path(SKERROW_BINARY_DIR) / "src/oracle/tool/skerrow-oracle";
    return test::RunProgram(
        path, args,
        {"-u SKERROW_ORACLE_PASSWORD", "-u SKERROW_MYSQL_PASSWORD",
         "SKERROW_OCI_LIBRARY=/nonexistent/libclntsh.so", "SKERROW_ORACLE_PATH=" + root_.string()});
  }

  // Loads a fixture, converts all tables of `user` and compares every table's row count.
  std::string LoadAndConvert(const std::string& service, const std::string& script,
                             const std::string& user, const std::string& password,
                             const std::vector<std::pair<std::string, std::string>>& counts) {
    const auto load =
        Run("skerrow-oracle", {"load", service, test::FixtureScript(script).string()});
    EXPECT_EQ(load.status, 0) << load.out << load.err;
    const std::string database = probe_->ScratchDatabase(service);
    const auto convert =
        Run("skerrow-cli",
            {"--oracle-service", service, "--oracle-user", user, "--oracle-password", password,
             "--mysql-server", sandbox_->host, "--mysql-login", sandbox_->user, "--mysql-password",
             sandbox_->password, "--database", database, "--all-tables"});
    EXPECT_EQ(convert.status, 0) << convert.out << convert.err;
    for (const auto& [table, rows] : counts)
      EXPECT_EQ(probe_->Scalar("SELECT COUNT(*) FROM `" + database + "`.`" + table + "`"), rows)
          << table;
    return database;
  }

  fs::path root_;
  std::optional<test::MySqlSandbox> sandbox_;
  std::optional<test::MySqlProbe> probe_;
};

TEST_F(ScriptsEndToEnd, ASampleSchemaWhoseInsertsAreInBlocksArrivesWhole) {
  const std::string database = LoadAndConvert(
      "BLOCKSHOP", "block_sample.sql", "shop_owner", "shop_pw",
      {{"CUSTOMERS", "5"}, {"PRODUCTS", "3"}, {"ORDERS", "3"}, {"ORDER_ITEMS", "5"}});
  // Identity keys as the INSERTs generated them.
  EXPECT_EQ(probe_->Scalar("SELECT GROUP_CONCAT(CUSTOMER_ID ORDER BY CUSTOMER_ID) FROM `" +
                           database + "`.`CUSTOMERS`"),
            "1,2,3,4,5");
  EXPECT_EQ(
      probe_->Scalar("SELECT FULL_NAME FROM `" + database + "`.`CUSTOMERS` WHERE CUSTOMER_ID = 5"),
      "Kari Ødegård");
  // The long text built over several lines, stored through UTL_RAW.CAST_TO_RAW into a BLOB.
  const auto details = probe_->Scalar("SELECT CAST(PRODUCT_DETAILS AS CHAR) FROM `" + database +
                                      "`.`PRODUCTS` WHERE PRODUCT_ID = 2");
  EXPECT_EQ(details, "{\"colour\": \"navy\",\n \"sizes\": [\"M\", \"L\"]}");
  const auto longest = probe_->Scalar("SELECT LENGTH(PRODUCT_DETAILS) FROM `" + database +
                                      "`.`PRODUCTS` WHERE PRODUCT_ID = 1");
  EXPECT_EQ(longest, "254");
  // UPDATE and DELETE of the script happened before the conversion.
  EXPECT_EQ(
      probe_->Scalar("SELECT UNIT_PRICE FROM `" + database + "`.`PRODUCTS` WHERE PRODUCT_ID = 1"),
      "80.91");
}

TEST_F(ScriptsEndToEnd, ADictionaryDdlExportArrivesWhole) {
  const std::string database = LoadAndConvert("DDLEXPORT", "ddl_export.sql", "inv", "inv_pw",
                                              {{"WAREHOUSES", "3"}, {"PARTS", "3"}});
  // The part whose key came from its DEFAULT "INV"."PART_SEQ"."NEXTVAL".
  EXPECT_EQ(probe_->Scalar("SELECT LABEL FROM `" + database + "`.`PARTS` WHERE PART_ID = 41"),
            "Hinge");
}

TEST_F(ScriptsEndToEnd, AForLoopDataScriptArrivesWhole) {
  const std::string database =
      LoadAndConvert("GENROWS", "generated_rows.sql", "gen", "gen_pw", {{"READINGS", "100000"}});
  EXPECT_EQ(probe_->Scalar("SELECT COUNT(NOTE) FROM `" + database + "`.`READINGS`"), "10000");
  EXPECT_EQ(
      probe_->Scalar("SELECT SENSOR FROM `" + database + "`.`READINGS` WHERE READING_ID = 100000"),
      "S-90");
}

}  // namespace
}  // namespace skerrow
