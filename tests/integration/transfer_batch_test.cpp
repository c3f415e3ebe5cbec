#include <gtest/gtest.h>
#include <malloc.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "text/ascii.h"
#include "transfer_copy_fixture.h"

namespace skerrow {
namespace {

using test::Column;
using test::kId;
using test::Read;
using test::ResultRow;
using test::Row;

// The same rows copied with one statement per row into the first scratch database and with
// many rows per statement into a second one: the tables and the reports must be the same.
class TransferBatchTest : public test::TransferCopyFixture {
 protected:
  struct Outcome {
    TableReport report;
    std::vector<ResultRow> rows;
    std::vector<std::int64_t> captionCounts;  // the row counts the caption showed, in order
  };

  Outcome CopyOneWay(const std::string& database, const std::string& table,
                     RowCopyOptions options) {
    const std::size_t callsBefore = window_.Actions().size();
    Outcome outcome;
    outcome.report = CopyInto(database, table, options);
    outcome.rows = TargetRowsIn(database, table, "ID");
    const auto calls = window_.Actions();
    const std::string head = "SetProgressTitle(Converting Table: [" + table + "] ";
    for (std::size_t i = callsBefore; i < calls.size(); ++i)
      if (calls[i].rfind(head, 0) == 0)
        outcome.captionCounts.push_back(std::stoll(calls[i].substr(head.size())));
    return outcome;
  }

  void ExpectSameOutcome(const Outcome& single, const Outcome& batched) {
    EXPECT_EQ(batched.rows, single.rows);
    EXPECT_EQ(batched.report.rowsRead, single.report.rowsRead);
    EXPECT_EQ(batched.report.rowsWritten, single.report.rowsWritten);
    EXPECT_EQ(batched.report.rowsRefused, single.report.rowsRefused);
    EXPECT_EQ(batched.report.refusalMessages, single.report.refusalMessages);
    EXPECT_EQ(batched.report.abandoned, single.report.abandoned);
    EXPECT_EQ(batched.report.connectionLost, single.report.connectionLost);
    // The caption only ever shows rows that are done, and ends with the table's count.
    ASSERT_FALSE(batched.captionCounts.empty());
    EXPECT_TRUE(std::is_sorted(batched.captionCounts.begin(), batched.captionCounts.end()));
    EXPECT_EQ(batched.captionCounts.back(), single.captionCounts.back());
  }

  static RowCopyOptions OneStatementPerRow() {
    RowCopyOptions options;
    options.writeMode = RowWriteMode::OneStatementPerRow;
    return options;
  }
};

// What makes the server refuse a row.
enum class Fault { None, TooLong, NullInNotNull, DuplicateKey, KeyDifferingInCase };

const std::vector<Column> kFaultColumns = {
    kId,
    {"K", "VARCHAR2", 10, "VARCHAR(10)", Read::Plain, true},
    {"V", "VARCHAR2", 20, "VARCHAR(5)", Read::Plain, true},
    {"N", "NUMBER", 22, "DOUBLE NOT NULL"},
};
const std::string kFaultKey = ", PRIMARY KEY (`K`)";

struct FaultTable {
  std::vector<Row> rows;
  std::vector<ResultRow> expected;  // what the target holds afterwards, ordered by ID
  std::vector<std::int64_t> refused;
};

// Rows 1..count; the rows in `faults` get the fault given. A duplicate repeats the key of the
// last row stored before it. The expectation is worked out independently of the copy: a row
// is stored unless its value does not fit, its N is null or its key (compared without case,
// as the target's collation does) is stored already.
FaultTable MakeFaultTable(int count, const std::vector<std::pair<int, Fault>>& faults) {
  FaultTable table;
  std::set<std::string> storedKeys;
  std::string lastStoredKey = "NONE";
  for (int id = 1; id <= count; ++id) {
    Fault fault = Fault::None;
    for (const auto& [row, kind] : faults)
      if (row == id) fault = kind;
    std::string key = "K" + std::to_string(id);
    std::string value = "v" + std::to_string(id);
    Variant number = Variant::FromDecimal(std::to_string(id * 10));
    if (fault == Fault::TooLong) value = "far too long";
    if (fault == Fault::NullInNotNull) number = Variant::Null();
    if (fault == Fault::DuplicateKey) key = lastStoredKey;
    if (fault == Fault::KeyDifferingInCase) {
      key = lastStoredKey;
      key = text::ToLowerAscii(key);
    }
    table.rows.push_back({Variant::FromDecimal(std::to_string(id)), Variant::FromText(key),
                          Variant::FromText(value), number});
    const std::string folded = text::ToUpperAscii(key);
    const bool stored = value.size() <= 5 && !number.IsNullOrEmpty() && !storedKeys.count(folded);
    if (stored) {
      storedKeys.insert(folded);
      lastStoredKey = key;
      table.expected.push_back({std::to_string(id), key, value, number.ToText().value_or("")});
    } else {
      table.refused.push_back(id);
    }
  }
  return table;
}

TEST_F(TransferBatchTest, RowsRefusedAnywhereInAStatementGiveTheOutcomeOfOneStatementPerRow) {
  if (!Ready()) return;
  // 12 rows in statements of at most 5 rows: 1-5, 6-10, 11-12 until a refusal reshapes them.
  struct Case {
    const char* table;
    std::vector<std::pair<int, Fault>> faults;
  };
  std::vector<Case> cases = {
      {"NONE", {}},
      {"FIRST_OF_TABLE", {{1, Fault::TooLong}}},
      {"FIRST_OF_BATCH", {{6, Fault::TooLong}}},
      {"MIDDLE_OF_BATCH", {{8, Fault::NullInNotNull}}},
      {"LAST_OF_BATCH", {{10, Fault::DuplicateKey}}},
      {"LAST_OF_TABLE", {{12, Fault::TooLong}}},
      {"SEVERAL_IN_BATCH",
       {{6, Fault::TooLong}, {8, Fault::NullInNotNull}, {9, Fault::DuplicateKey}}},
      {"ADJACENT_BATCHES", {{5, Fault::DuplicateKey}, {6, Fault::KeyDifferingInCase}}},
      {"ALL_ROWS", {}},
  };
  for (int id = 1; id <= 12; ++id)
    cases.back().faults.push_back({id, id % 3 == 0   ? Fault::NullInNotNull
                                       : id % 3 == 1 ? Fault::TooLong
                                                     : Fault::DuplicateKey});
  std::vector<FaultTable> tables;
  for (const auto& c : cases) {
    tables.push_back(MakeFaultTable(12, c.faults));
    PrepareTable(c.table, kFaultColumns, tables.back().rows, kFaultKey);
  }
  const std::string second = SecondDatabase();
  OpenConnections();

  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].table);
    SetColumnLists(kFaultColumns);
    const Outcome single = CopyOneWay(database_, cases[i].table, OneStatementPerRow());
    SetColumnLists(kFaultColumns);
    RowCopyOptions batched;
    batched.maxStatementRows = 5;
    const Outcome many = CopyOneWay(second, cases[i].table, batched);
    ExpectSameOutcome(single, many);

    EXPECT_EQ(many.rows, tables[i].expected);
    EXPECT_EQ(many.report.rowsRead, 12);
    EXPECT_EQ(many.report.rowsRefused, static_cast<std::int64_t>(tables[i].refused.size()));
    ASSERT_EQ(many.report.refusalMessages.size(),
              std::min(tables[i].refused.size(), TableReport::kMaxRefusalMessages));
    for (std::size_t m = 0; m < many.report.refusalMessages.size(); ++m) {
      // Each refused row is named with the server's message for that row alone.
      const std::string& message = many.report.refusalMessages[m];
      EXPECT_EQ(message.rfind("Row " + std::to_string(tables[i].refused[m]) + ": ", 0), 0u)
          << message;
      EXPECT_TRUE(message.find("at row 1") != std::string::npos ||
                  message.find("cannot be null") != std::string::npos ||
                  message.find("Duplicate entry") != std::string::npos)
          << message;
    }
  }
}

TEST_F(TransferBatchTest, ScatteredRefusalsInALargeTableGiveTheOutcomeOfOneStatementPerRow) {
  if (!Ready()) return;
  std::vector<std::pair<int, Fault>> faults;
  for (int id = 50; id <= 6000; id += 97)
    faults.push_back({id, id % 2 ? Fault::TooLong : Fault::DuplicateKey});
  faults.push_back({6000, Fault::NullInNotNull});
  const FaultTable table = MakeFaultTable(6000, faults);
  PrepareTable("SCATTERED", kFaultColumns, table.rows, kFaultKey);
  const std::string second = SecondDatabase();
  OpenConnections();

  SetColumnLists(kFaultColumns);
  const Outcome single = CopyOneWay(database_, "SCATTERED", OneStatementPerRow());
  SetColumnLists(kFaultColumns);
  // Statements of the default size: hundreds of rows each.
  const Outcome many = CopyOneWay(second, "SCATTERED", RowCopyOptions{});
  ExpectSameOutcome(single, many);
  EXPECT_EQ(many.rows, table.expected);
  EXPECT_EQ(many.report.rowsRefused, static_cast<std::int64_t>(table.refused.size()));
}

TEST_F(TransferBatchTest, RowsLargerThanTheStatementLimitGoAloneAndArrive) {
  if (!Ready()) return;
  const Column text{"T", "CLOB", 4000, "LONGTEXT", Read::Plain};
  std::vector<Row> rows;
  std::vector<ResultRow> expected;
  for (int id = 1; id <= 7; ++id) {
    const std::string value(static_cast<std::size_t>(id % 2 ? 3000 : 20),
                            static_cast<char>('a' + id));
    rows.push_back({Variant::FromDecimal(std::to_string(id)), Variant::FromText(value)});
    expected.push_back({std::to_string(id), value});
  }
  PrepareTable("WIDE", {kId, text}, rows);
  OpenConnections();
  RowCopyOptions options;
  options.maxStatementBytes = 1000;
  const TableReport report = Copy("WIDE", options);
  EXPECT_TRUE(report.Succeeded());
  EXPECT_EQ(TargetRows("WIDE", "ID"), expected);
}

// Bytes the program has allocated and not freed.
std::size_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

TEST_F(TransferBatchTest, MemoryDuringACopyDoesNotGrowWithTheRowCount) {
  if (!Ready()) return;
  auto rowsOf = [](int count) {
    std::vector<Row> rows;
    for (int id = 1; id <= count; ++id)
      rows.push_back({Variant::FromDecimal(std::to_string(id)),
                      Variant::FromText("row " + std::to_string(id) + " of a long table")});
    return rows;
  };
  const std::vector<Column> columns = {kId,
                                       {"V", "VARCHAR2", 60, "VARCHAR(60)", Read::Plain, true}};
  PrepareTable("SMALLER", columns, rowsOf(30000));
  PrepareTable("LARGER", columns, rowsOf(300000));
  OpenConnections();

  // The most memory in use above the start of the copy, sampled whenever rows arrive from the
  // source (when a block is held) and at the end.
  auto peakGrowth = [&](const std::string& table) {
    SetColumnLists(columns);
    const std::size_t before = HeapInUse();
    std::size_t peak = before;
    RowCopyOptions options;
    options.onRowsFetched = [&](std::size_t) { peak = std::max(peak, HeapInUse()); };
    const TableReport report = Copy(table, options);
    peak = std::max(peak, HeapInUse());
    EXPECT_TRUE(report.Succeeded()) << table;
    return peak - before;
  };
  const std::size_t smaller = peakGrowth("SMALLER");
  const std::size_t larger = peakGrowth("LARGER");
  EXPECT_EQ(probe_->Scalar("SELECT COUNT(*) FROM " + QuoteMySqlIdentifier(database_) + ".`LARGER`"),
            "300000");
  // Ten times the rows: the same blocks and statements in memory, give or take a little.
  EXPECT_LE(larger, smaller + smaller / 2 + (1u << 20))
      << "30000 rows: " << smaller << " bytes, 300000 rows: " << larger;
}

}  // namespace
}  // namespace skerrow
