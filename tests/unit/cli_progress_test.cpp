#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/progress_display.h"
#include "cli/run_snapshot.h"

namespace skerrow::cli {
namespace {

TableReport Finished(const std::string& source, const std::string& created, std::int64_t rows) {
  TableReport report;
  report.sourceName = source;
  report.createdName = created;
  report.rowsRead = rows;
  report.rowsWritten = rows;
  return report;
}

// What a terminal shows once the escapes have done their work: the lines that stand.
std::vector<std::string> Screen(const std::string& printed) {
  std::vector<std::string> lines{""};
  for (std::size_t i = 0; i < printed.size(); ++i) {
    if (printed.compare(i, 3, "\033[K") == 0) {
      i += 2;  // the line is cleared from the cursor; it is at the start already
      lines.back().clear();
    } else if (printed.compare(i, 3, "\033[A") == 0) {
      i += 2;
      lines.pop_back();
    } else if (printed[i] == '\r') {
      lines.back().clear();
    } else if (printed[i] == '\n') {
      lines.emplace_back();
    } else {
      lines.back().push_back(printed[i]);
    }
  }
  return lines;
}

// Strips the rates, which depend on the clock: "EMP: 7 rows, 1,234 rows/s" -> "EMP: 7 rows".
std::vector<std::string> WithoutRates(std::vector<std::string> lines) {
  for (auto& line : lines) {
    const std::size_t rows = line.find(" rows, ");
    const std::size_t rate = line.find(" rows/s");
    if (rows != std::string::npos && rate != std::string::npos)
      line.erase(rows + 5, rate + 7 - (rows + 5));
  }
  return lines;
}

TEST(CliProgress, ATerminalShowsALinePerRunningTableAndATotal) {
  std::ostringstream out;
  ProgressDisplay progress(out, true, true);
  progress.Start(3);
  progress.TableRows("EMP", 10);
  progress.TableRows("DEPT", 4);
  progress.TableFinished(Finished("DEPT", "DEPT", 4));
  EXPECT_EQ(WithoutRates(Screen(out.str())),
            (std::vector<std::string>{"EMP: 10 rows", "total: 14 rows, 1 of 3 tables done"}));
  progress.TableRows("BONUS", 2);
  progress.TableFinished(Finished("EMP", "EMP", 14));
  progress.TableFinished(Finished("BONUS", "BONUS", 2));
  EXPECT_EQ(WithoutRates(Screen(out.str())),
            (std::vector<std::string>{"total: 20 rows, 3 of 3 tables done"}));
  progress.Finish();
  EXPECT_EQ(Screen(out.str()), (std::vector<std::string>{""}));
}

TEST(CliProgress, OneTableAtATimeKeepsItsOneLine) {
  std::ostringstream out;
  ProgressDisplay progress(out, true);
  progress.Start(2);
  progress.TableRows("EMP", 10);
  EXPECT_EQ(WithoutRates(Screen(out.str())),
            (std::vector<std::string>{"EMP: 10 rows, 0 of 2 tables done"}));
  progress.TableFinished(Finished("EMP", "EMP", 14));
  EXPECT_EQ(WithoutRates(Screen(out.str())),
            (std::vector<std::string>{"EMP: 14 rows, 1 of 2 tables done"}));
}

TEST(CliProgress, ALogGetsALinePerFinishedTableInTheOrderTheyFinish) {
  std::ostringstream out;
  ProgressDisplay progress(out, false, true);
  progress.Start(2);
  progress.TableRows("EMP", 10);
  progress.TableRows("DEPT", 4);
  progress.TableFinished(Finished("DEPT", "DEPT0001", 4));
  progress.TableFinished(Finished("EMP", "EMP", 14));
  progress.Finish();
  EXPECT_EQ(out.str(),
            "DEPT -> DEPT0001: 4 rows read, 4 written, 0 refused (1 of 2 tables done)\n"
            "EMP: 14 rows read, 14 written, 0 refused (2 of 2 tables done)\n");
}

// A run ended at once reports the tables it finished in list order, and names the ones it
// leaves partly copied.
TEST(CliProgress, TheSnapshotOfARunEndedAtOnce) {
  RunSnapshot snapshot;
  snapshot.Begin("sales", {"A", "B", "C", "D"});
  for (const char* table : {"C", "B", "D"}) snapshot.TableStarted(table);
  snapshot.TableFinished(Finished("D", "D", 3));
  snapshot.TableFinished(Finished("C", "C", 2));
  snapshot.TableStarted("A");
  TableReport refused;
  refused.sourceName = "A";
  refused.createError = "MySQL refused to create the table";
  snapshot.TableFinished(refused);
  EXPECT_EQ(snapshot.TablesInProgress(), "B");

  const RunReport report = snapshot.EndedNow("Ended");
  EXPECT_EQ(report.destinationDatabase, "sales");
  ASSERT_EQ(report.tables.size(), 3u);
  EXPECT_EQ(report.tables[0].sourceName, "A");
  EXPECT_EQ(report.tables[1].sourceName, "C");
  EXPECT_EQ(report.tables[2].sourceName, "D");
  EXPECT_EQ(report.runError,
            "Ended; left partly copied (their rows so far are in the database): B");
  EXPECT_TRUE(report.stopped);
  EXPECT_FALSE(report.Succeeded());
  snapshot.TableFinished(Finished("B", "B0001", 9));
  EXPECT_EQ(snapshot.EndedNow("Ended").runError, "Ended");
}

}  // namespace
}  // namespace skerrow::cli
