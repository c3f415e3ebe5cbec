// A table of a million generated rows: it loads, and reads back in blocks through
// SourceConnection without the result being held whole (the stand-in steps its SQLite statement
// only as far as each block asks).
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

#include "db/source_connection.h"
#include "oracle/embedded_instance.h"
#include "providers/source_providers.h"
#include "support/oracle_fixture.h"

namespace skerrow {
namespace {

constexpr long kRows = 1000000;
constexpr long kBlock = 10000;

// Peak resident set size of this process in kB (VmHWM), after resetting it where the kernel
// allows, so that the peak measured is the one of what follows.
long ResetAndReadPeakKb(bool reset) {
  if (reset) {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
  }
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

long CurrentRssKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

TEST(EmbeddedLargeResult, MillionRowsLoadAndReadBackInBlocksWithoutHoldingTheResult) {
  test::OracleFixture oracle("BIGROWS", {});
  ASSERT_TRUE(oracle.Ok()) << oracle.Error();
  ASSERT_TRUE(
      oracle.LoadText("CREATE USER big IDENTIFIED BY big_pw;\n"
                      "CONNECT big/big_pw\n"
                      "CREATE TABLE facts (id NUMBER(10) PRIMARY KEY, label "
                      "VARCHAR2(60), amount NUMBER(12,2));\n",
                      "big.sql"))
      << oracle.Error();
  {
    // Generated through the loader's target interface in one transaction: a million INSERT
    // texts would only measure the tokenizer.
    auto instance = oracle::EmbeddedInstance::Open(oracle.InstanceDirectory());
    instance->Connect("BIG", "big_pw");
    instance->SetCurrentSchema("BIG");
    const std::vector<std::string> names = {"ID", "LABEL", "AMOUNT"};
    for (long id = 1; id <= kRows; ++id) {
      instance->InsertRow(
          "BIG", "FACTS", names,
          {Variant::FromDecimal(std::to_string(id)),
           Variant::FromText("generated row number " + std::to_string(id) + " of the facts table"),
           Variant::FromDecimal(std::to_string(id % 1000) + ".5")});
    }
    instance->Commit();
  }

  SourceConnection source{StandardSourceProviders()};
  test::OpenOracle(source, "BIGROWS", "BIG", "big_pw");
  source.Execute(R"(Select "ID","LABEL","AMOUNT" from "BIG"."FACTS" w)");
  ASSERT_EQ(source.FieldCount(), 3);

  const long rssBefore = CurrentRssKb();
  const long peakBefore = ResetAndReadPeakKb(true);
  long rows = 0, blocks = 0;
  long long idSum = 0;
  bool kindsRight = true;
  while (!source.EndOfRows()) {
    const RowArray block = source.GetRows(kBlock);
    ASSERT_LE(block.RowCount(), static_cast<std::size_t>(kBlock));
    for (std::size_t r = 0; r < block.RowCount(); ++r) {
      const Variant& id = block.At(0, r);
      kindsRight = kindsRight && id.Kind() == VariantKind::Decimal &&
                   block.At(1, r).Kind() == VariantKind::Text &&
                   block.At(2, r).Kind() == VariantKind::Decimal;
      idSum += std::stoll(id.Data());
      if (rows + static_cast<long>(r) + 1 == 777777) {
        EXPECT_EQ(block.At(1, r).Data(), "generated row number 777777 of the facts table");
      }
    }
    rows += static_cast<long>(block.RowCount());
    ++blocks;
  }
  const long peakAfter = ResetAndReadPeakKb(false);
  EXPECT_EQ(rows, kRows);
  EXPECT_EQ(blocks, kRows / kBlock);
  EXPECT_EQ(idSum, static_cast<long long>(kRows) * (kRows + 1) / 2);
  EXPECT_TRUE(kindsRight);
  EXPECT_THROW(source.GetRows(kBlock), SourceError);

  // The whole result as values is well over 100 MB (three variants and a text a row); reading
  // it block by block must stay far below that. The bound is loose on purpose: it only tells
  // streaming from holding the result.
  // Where the peak could not be reset, only its growth beyond the loading's peak is seen.
  const bool peakWasReset = peakBefore > 0 && peakBefore <= rssBefore + 1024;
  const long base = peakWasReset ? rssBefore : peakBefore;
  ASSERT_GT(peakAfter, 0);
  EXPECT_LT(peakAfter - base, 64 * 1024)
      << "peak RSS grew by " << (peakAfter - base) / 1024 << " MB while reading in blocks";
}

}  // namespace
}  // namespace skerrow
