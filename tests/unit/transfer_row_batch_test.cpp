#include <gtest/gtest.h>

#include <string>

#include "transfer/row_batch.h"
#include "transfer/row_statements.h"

namespace skerrow {
namespace {

const std::string kPrefix = "Insert into `shop`.`ORDERS`(`ID`,`NOTE`)values(";

TEST(TransferRowBatchTest, StatementsOfAllRowsOfOneRowAndOfARun) {
  RowBatch batch(kPrefix);
  EXPECT_TRUE(batch.Empty());
  batch.Add("1,'a'", 11);
  batch.Add("2,'b),(c'", 12);
  batch.Add("3,null", 13);
  EXPECT_EQ(batch.RowCount(), 3u);
  EXPECT_EQ(batch.SourceRow(1), 12);
  EXPECT_EQ(batch.Statement(), kPrefix + "1,'a'),(2,'b),(c'),(3,null)");
  // A single row is exactly the statement of one INSERT per row.
  EXPECT_EQ(batch.Statement(1, 2), RowStatement(kPrefix, "2,'b),(c'"));
  EXPECT_EQ(batch.Statement(1, 3), kPrefix + "2,'b),(c'),(3,null)");
  EXPECT_EQ(batch.Statement(0, 3), std::string(batch.Statement()));
}

TEST(TransferRowBatchTest, GrowsAfterItsStatementWasTakenAndStartsAfreshWhenCleared) {
  RowBatch batch(kPrefix);
  batch.Add("1,'a'", 1);
  EXPECT_EQ(batch.Statement(), kPrefix + "1,'a')");
  EXPECT_EQ(batch.SizeWith(5), (kPrefix + "1,'a'),(2,'b')").size());
  batch.Add("2,'b'", 2);
  EXPECT_EQ(batch.Statement(), kPrefix + "1,'a'),(2,'b')");
  batch.Clear();
  EXPECT_TRUE(batch.Empty());
  EXPECT_EQ(batch.SizeWith(5), (kPrefix + "3,'c')").size());
  batch.Add("3,'c'", 3);
  EXPECT_EQ(batch.Statement(), kPrefix + "3,'c')");
}

}  // namespace
}  // namespace skerrow
