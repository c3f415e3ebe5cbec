#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "transfer/record_sorter.h"
#include "transfer/record_stream.h"
#include "transfer/render_value.h"
#include "transfer/row_comparison.h"
#include "transfer/sha256.h"
#include "transfer/verify_record.h"
#include "transfer/verify_values.h"

namespace skerrow {
namespace {

TEST(Sha256Test, GivesTheStandardDigestsWhateverThePiecesTheBytesComeIn) {
  struct Case {
    std::string input;
    std::string digest;
  };
  const std::vector<Case> cases = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(1000000, 'a'),
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const Case& c : cases) {
    Sha256 whole;
    whole.Update(c.input);
    EXPECT_EQ(whole.HexDigest(), c.digest) << c.input.size() << " bytes";
    Sha256 pieces;
    for (std::size_t at = 0; at < c.input.size(); at += 7)
      pieces.Update(std::string_view(c.input).substr(at, 7));
    EXPECT_EQ(pieces.HexDigest(), c.digest) << c.input.size() << " bytes in pieces";
  }
}

// What the conversion writes for a source value, read back as MySQL gives it.
struct ValueCase {
  const char* what;
  Variant source;
  ValueForm form;
  const char* dataType;
  std::optional<std::string> stored;  // MySQL's text; nullopt: NULL
  bool same;
};

TEST(VerifyValuesTest, ComparesEachTypeAsTheConversionWritesIt) {
  const std::string bytes("\x00\xFF\x10", 3);
  const std::vector<ValueCase> cases = {
      {"decimal digit for digit", Variant::FromDecimal("12.5"), ValueForm::Default, "decimal",
       "12.50", true},
      {"decimal off by one digit", Variant::FromDecimal("12.5"), ValueForm::Default, "decimal",
       "12.51", false},
      {"long decimal", Variant::FromDecimal("12345678901234567890123456789012345678"),
       ValueForm::Default, "decimal", "12345678901234567890123456789012345678", true},
      {"integer column", Variant::FromDecimal("-7"), ValueForm::Default, "bigint", "-7", true},
      {"nearest double of a long number", Variant::FromDecimal("0.12345678901234567890"),
       ValueForm::ApproximateNumber, "double", "0.12345678901234568", true},
      {"another double", Variant::FromDecimal("0.1"), ValueForm::ApproximateNumber, "double",
       "0.10000000000000002", false},
      {"binary double bit for bit", Variant::FromText("1.0000000000000002E+000"),
       ValueForm::BinaryDouble, "double", "1.0000000000000002", true},
      {"binary float widened", Variant::FromText("1.10000002E+000"), ValueForm::BinaryFloat,
       "float", "1.100000023841858", true},
      {"text byte for byte", Variant::FromText("it's \xC3\xA9"), ValueForm::Default, "varchar",
       "it's \xC3\xA9", true},
      {"text case matters", Variant::FromText("abc"), ValueForm::Default, "varchar", "ABC", false},
      {"trailing blank in text matters", Variant::FromText("a"), ValueForm::Default, "varchar",
       "a ", false},
      {"CHAR without its padding", Variant::FromText("ab  "), ValueForm::Default, "char", "ab",
       true},
      {"empty text is NULL", Variant::FromText(""), ValueForm::Default, "varchar", std::nullopt,
       true},
      {"empty CLOB is empty", Variant::FromText(""), ValueForm::LobText, "longtext", "", true},
      {"empty CLOB is not NULL", Variant::FromText(""), ValueForm::LobText, "longtext",
       std::nullopt, false},
      {"bytes exactly", Variant::FromBytes(bytes), ValueForm::Binary, "longblob", bytes, true},
      {"one byte off", Variant::FromBytes(bytes), ValueForm::Binary, "longblob",
       std::string("\x00\xFF\x11", 3), false},
      {"NULL against a value", Variant::Null(), ValueForm::Default, "decimal", "0", false},
      {"NULL against NULL", Variant::Null(), ValueForm::Default, "datetime", std::nullopt, true},
  };
  for (const ValueCase& c : cases) {
    const ColumnClass columnClass = ColumnClassOf(c.dataType);
    const CanonicalValue expected =
        ExpectedCanonical(WriteColumnValue(c.source, c.form), columnClass);
    const CanonicalValue actual =
        TargetCanonical(c.stored.value_or(""), !c.stored.has_value(), columnClass);
    EXPECT_EQ(expected == actual, c.same) << c.what;
  }
}

TEST(VerifyValuesTest, OrderedKeysSortAsTheValuesDo) {
  struct Case {
    const char* dataType;
    std::vector<CanonicalValue> ascending;
  };
  const std::vector<Case> cases = {
      {"decimal",
       {std::nullopt, "-100", "-2.5", "-2", "-0.01", "0", "0.001", "0.01", "1", "9.99", "10",
        "100.5", "12345678901234567890"}},
      {"double", {std::nullopt, "-1e+300", "-1.5", "-5e-324", "0", "5e-324", "0.1", "2", "1e+300"}},
      {"varchar",
       {std::nullopt, "", std::string("\x00", 1), std::string("\x00\x01", 2), "A", "AB", "B", "a",
        "\xC3\xA9"}},
  };
  for (const Case& c : cases) {
    const ColumnClass columnClass = ColumnClassOf(c.dataType);
    for (std::size_t i = 1; i < c.ascending.size(); ++i) {
      std::string lower;
      std::string higher;
      AppendOrderedKey(lower, c.ascending[i - 1], columnClass);
      AppendOrderedKey(higher, c.ascending[i], columnClass);
      EXPECT_LT(lower, higher) << c.dataType << " at " << i;
    }
  }
  // Two columns order as the tuple: ("A", 2) before ("AB", 1).
  std::string first;
  AppendOrderedKey(first, "A", ColumnClass::Text);
  AppendOrderedKey(first, "2", ColumnClass::Decimal);
  std::string second;
  AppendOrderedKey(second, "AB", ColumnClass::Text);
  AppendOrderedKey(second, "1", ColumnClass::Decimal);
  EXPECT_LT(first, second);
}

TEST(VerifyValuesTest, ShowsTextAsTextAndEverythingElseAsHex) {
  EXPECT_EQ(ShownValueText(ShowCanonical(std::string("abc"), ColumnClass::Text)), "abc");
  EXPECT_EQ(ShownValueText(ShowCanonical(std::string("a\x01", 2), ColumnClass::Text)), "X'6101'");
  EXPECT_EQ(ShownValueText(ShowCanonical(std::string("abc"), ColumnClass::Binary)), "X'616263'");
  EXPECT_EQ(ShownValueText(ShowCanonical(std::nullopt, ColumnClass::Text)), "NULL");
  const ShownValue big = ShowCanonical(std::string(1 << 20, 'x'), ColumnClass::Binary);
  ASSERT_TRUE(big.text);
  EXPECT_LT(big.text->size(), 200u);
  EXPECT_NE(big.text->find("1048576 bytes"), std::string::npos);
}

// One row of a small table, ID the key, NAME and AMOUNT the values.
RowRecord Row(int id, std::optional<std::string> name, std::string amount,
              const std::string& extra = "") {
  RowRecord record;
  AppendOrderedKey(record.key, std::to_string(id), ColumnClass::Decimal);
  EncodeRowValue(record.row, std::to_string(id));
  EncodeRowValue(record.row, name);
  EncodeRowValue(record.row, amount);
  record.extra = extra;
  return record;
}

class ListStream : public RecordStream {
 public:
  explicit ListStream(std::vector<RowRecord> records) : records_(records.begin(), records.end()) {}

 protected:
  bool Pull(RowRecord& into) override {
    if (records_.empty()) return false;
    into = std::move(records_.front());
    records_.pop_front();
    return true;
  }

 private:
  std::deque<RowRecord> records_;
};

ComparedColumns KeyedColumns() {
  return {{"ID", "NAME", "AMOUNT"},
          {ColumnClass::Decimal, ColumnClass::Text, ColumnClass::Decimal},
          {0}};
}

TableVerification Compare(std::vector<RowRecord> source, std::vector<RowRecord> target,
                          const ComparedColumns& columns, std::int64_t refusedByCopy = 0) {
  ListStream sourceStream(std::move(source));
  ListStream targetStream(std::move(target));
  TableVerification result;
  CompareRecordStreams(sourceStream, targetStream, columns, refusedByCopy, result);
  return result;
}

TEST(RowComparisonTest, FindsAChangedValueAMissingRowAndAnExtraRowInKeyOrder) {
  using Kind = VerificationDifference::Kind;
  const TableVerification result =
      Compare({Row(1, "a", "10"), Row(2, "b", "20"), Row(3, "c", "30")},
              {Row(1, "a", "10"), Row(3, "c", "31"), Row(4, "d", "40")}, KeyedColumns());
  EXPECT_EQ(result.sourceRows, 3);
  EXPECT_EQ(result.targetRows, 3);
  EXPECT_EQ(result.rowsCompared, 2);
  EXPECT_EQ(result.mismatches, 1);
  EXPECT_EQ(result.rowsMissingInTarget, 1);
  EXPECT_EQ(result.rowsMissingInSource, 1);
  const std::vector<VerificationDifference> expected = {
      {Kind::MissingInTarget, "ID=2", "", std::nullopt, std::nullopt, false},
      {Kind::ValueDiffers, "ID=3", "AMOUNT", "30", "31", false},
      {Kind::MissingInSource, "ID=4", "", std::nullopt, std::nullopt, false},
  };
  EXPECT_EQ(result.differences, expected);
  EXPECT_NE(result.sourceDigest, result.targetDigest);
  EXPECT_FALSE(result.Succeeded());
}

TEST(RowComparisonTest, EqualTablesGiveEqualDigestsAndChangedOnesDoNot) {
  const std::vector<RowRecord> rows = {Row(1, std::nullopt, "1"), Row(2, "", "2")};
  const TableVerification same = Compare(rows, rows, KeyedColumns());
  EXPECT_TRUE(same.Succeeded());
  EXPECT_EQ(same.sourceDigest, same.targetDigest);
  EXPECT_EQ(same.sourceDigest.size(), 64u);
  // NULL and the empty text are different rows: a digest that mixed them up would hide it.
  const TableVerification swapped =
      Compare(rows, {Row(1, "", "1"), Row(2, std::nullopt, "2")}, KeyedColumns());
  EXPECT_EQ(swapped.mismatches, 2);
  EXPECT_NE(swapped.sourceDigest, swapped.targetDigest);
}

TEST(RowComparisonTest, RowsWithoutAKeyPairByAllTheirValuesDuplicatesIncluded) {
  ComparedColumns keyless = KeyedColumns();
  keyless.keyPositions.clear();
  const auto plain = [](int id, std::string name) {
    RowRecord record = Row(id, std::move(name), "0");
    record.key.clear();
    return record;
  };
  // Sorted by value, as the comparison expects them; one of three equal rows is missing.
  const TableVerification result =
      Compare({plain(1, "x"), plain(1, "x"), plain(1, "x"), plain(2, "y")},
              {plain(1, "x"), plain(1, "x"), plain(2, "y")}, keyless);
  EXPECT_EQ(result.rowsCompared, 3);
  EXPECT_EQ(result.rowsMissingInTarget, 1);
  EXPECT_EQ(result.mismatches, 0);
  ASSERT_EQ(result.differences.size(), 1u);
  EXPECT_EQ(result.differences[0].key, "(1, x, 0)");
}

TEST(RowComparisonTest, RowsTheConversionCouldNotWriteAreRefusedNotMissing) {
  SourceRowNotes cannotWrite;
  cannotWrite.refusal = "column X cannot be written: its value is NaN";
  SourceRowNotes rounded;
  rounded.rounded.emplace_back(2, "0.12345678901234567890");
  const TableVerification result = Compare({Row(1, "a", "1", cannotWrite.Encode()),
                                            Row(2, "b", "2", rounded.Encode()), Row(3, "c", "3")},
                                           {Row(2, "b", "2")}, KeyedColumns(), /*refusedByCopy=*/2);
  // The copy counted both: the one it could not write, and the one the server refused.
  EXPECT_EQ(result.refusedRows, 2);
  EXPECT_EQ(result.rowsMissingInTarget, 0);
  EXPECT_EQ(result.roundedValues, 1);
  EXPECT_TRUE(result.Succeeded());
}

TEST(RowComparisonTest, KeepsTheFirstTenDifferencesAndCountsAll) {
  std::vector<RowRecord> source;
  std::vector<RowRecord> target;
  for (int id = 1; id <= 25; ++id) {
    source.push_back(Row(id, "same", "1"));
    target.push_back(Row(id, "same", "2"));
  }
  const TableVerification result = Compare(source, target, KeyedColumns());
  EXPECT_EQ(result.mismatches, 25);
  ASSERT_EQ(result.differences.size(), TableVerification::kMaxDifferences);
  EXPECT_EQ(result.differences.front().key, "ID=1");
  EXPECT_EQ(result.differences.back().key, "ID=10");
}

TEST(RecordSorterTest, SortsMoreRecordsThanItMayHoldThroughRunsOnDisk) {
  std::vector<RowRecord> records;
  for (int id = 0; id < 5000; ++id)
    records.push_back(Row(id % 1777, "n" + std::to_string(id), "1"));
  std::vector<RowRecord> shuffled = records;
  std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));
  SortLimits limits;
  limits.memoryBytes = 16 * 1024;
  limits.mergeFanIn = 3;  // forces merges of merges
  RecordSorter sorter(limits);
  for (const RowRecord& record : shuffled) sorter.Add(record);
  const std::unique_ptr<RecordStream> sorted = sorter.Sorted();
  EXPECT_GT(sorter.RunsWritten(), 3u);
  std::sort(records.begin(), records.end(),
            [](const RowRecord& a, const RowRecord& b) { return CompareRecords(a, b) < 0; });
  RowRecord next;
  std::size_t count = 0;
  while (sorted->Take(next)) {
    ASSERT_LT(count, records.size());
    EXPECT_EQ(next.key, records[count].key);
    EXPECT_EQ(next.row, records[count].row);
    ++count;
  }
  EXPECT_EQ(count, records.size());
}

TEST(RecordStreamTest, AnOrderCheckedStreamRaisesAtTheFirstRecordOutOfOrder) {
  ListStream inner({Row(1, "a", "1"), Row(3, "c", "3"), Row(2, "b", "2")});
  OrderCheckedStream checked(inner);
  RowRecord record;
  EXPECT_TRUE(checked.Take(record));
  EXPECT_TRUE(checked.Take(record));
  EXPECT_THROW(checked.Take(record), RecordsOutOfOrder);
}

}  // namespace
}  // namespace skerrow
