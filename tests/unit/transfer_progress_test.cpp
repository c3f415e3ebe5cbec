#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "support/recording_window.h"
#include "transfer/row_progress.h"
#include "workflow/conversion_state.h"
#include "workflow/table_window.h"

namespace skerrow {
namespace {

// The row copy's window operations as a run carries them out on its window.
struct RunWindow {
  ConversionState state;
  test::RecordingWindow window;
  TableWindow table{state, window};
};

std::vector<std::string> Titles(const test::RecordingWindow& window) {
  std::vector<std::string> titles;
  for (const auto& call : window.Actions())
    if (call.rfind("SetProgressTitle(", 0) == 0) titles.push_back(call);
  return titles;
}

TEST(TransferProgressTest, CaptionReadsAsTheOperatorExpects) {
  EXPECT_EQ(RowCaption("ORDERS", 12), "Converting Table: [ORDERS] 12 rows converted...");
  EXPECT_EQ(RowCaption("ORDERS", 1), "Converting Table: [ORDERS] 1 rows converted...");
}

TEST(TransferProgressTest, EveryRowIsShownWhenNoIntervalApplies) {
  RunWindow run;
  test::RecordingWindow& window = run.window;
  RowProgress progress(run.table, "T", std::chrono::steady_clock::duration::zero());
  for (int row = 1; row <= 3; ++row) progress.RowSent(row);
  progress.Finish(3);
  EXPECT_EQ(Titles(window), (std::vector<std::string>{
                                "SetProgressTitle(Converting Table: [T] 1 rows converted...)",
                                "SetProgressTitle(Converting Table: [T] 2 rows converted...)",
                                "SetProgressTitle(Converting Table: [T] 3 rows converted...)"}));
}

TEST(TransferProgressTest, AFastTableShowsItsFirstAndFinalCount) {
  RunWindow run;
  test::RecordingWindow& window = run.window;
  RowProgress progress(run.table, "T", std::chrono::hours(1));
  for (int row = 1; row <= 1000; ++row) progress.RowSent(row);
  progress.Finish(1000);
  EXPECT_EQ(Titles(window), (std::vector<std::string>{
                                "SetProgressTitle(Converting Table: [T] 1 rows converted...)",
                                "SetProgressTitle(Converting Table: [T] 1000 rows converted...)"}));
  EXPECT_EQ(window.Title(), "Converting Table: [T] 1000 rows converted...");
}

TEST(TransferProgressTest, ATableWithoutRowsShowsZero) {
  RunWindow run;
  test::RecordingWindow& window = run.window;
  RowProgress progress(run.table, "T");
  progress.Finish(0);
  EXPECT_EQ(window.Title(), "Converting Table: [T] 0 rows converted...");
}

}  // namespace
}  // namespace skerrow
