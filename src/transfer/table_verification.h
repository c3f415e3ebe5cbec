#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace skerrow {

// One way in which a MySQL table differs from its source.
struct VerificationDifference {
  enum class Kind {
    ValueDiffers,     // a row of both sides holds another value in `column`
    MissingInTarget,  // a source row that MySQL does not hold
    MissingInSource,  // a MySQL row that the source does not hold
  };
  Kind kind = Kind::ValueDiffers;
  // The row: its key columns with their values ("ID=7"), or every value of a row of a table
  // without a key.
  std::string key;
  std::string column;  // ValueDiffers only
  // As ShowCanonical shows them (nullopt: NULL, or the side that has no such row); `hex`
  // when they are written as hex digits because they are not text.
  std::optional<std::string> sourceValue;
  std::optional<std::string> targetValue;
  bool hex = false;

  friend bool operator==(const VerificationDifference&, const VerificationDifference&) = default;
};

// What reading a converted table back and comparing it with its source found.
struct TableVerification {
  static constexpr std::size_t kMaxDifferences = 10;

  // The key the rows were paired by; empty: every column (a table without a primary key).
  std::vector<std::string> keyColumns;
  // Columns of the MySQL table that hold no source values (XMLTYPE, BFILE) and were not
  // compared.
  std::vector<std::string> columnsNotCompared;

  std::int64_t sourceRows = 0;
  std::int64_t targetRows = 0;
  // Rows found on both sides and compared value by value.
  std::int64_t rowsCompared = 0;
  // Values that differ in the rows compared.
  std::int64_t mismatches = 0;
  std::int64_t rowsMissingInTarget = 0;
  std::int64_t rowsMissingInSource = 0;
  // Source rows MySQL does not hold because the conversion could not write them: a value MySQL
  // cannot store, or a row the copy reported as refused. Not differences.
  std::int64_t refusedRows = 0;
  // Values MySQL holds as the nearest DOUBLE of the source's number, as the conversion wrote
  // them. Not differences.
  std::int64_t roundedValues = 0;
  // The first differences, in key order.
  std::vector<VerificationDifference> differences;

  // SHA-256 (hex) of every row in key order, each as its canonical values: equal digests
  // mean equal contents, on any machine and in any later run.
  std::string sourceDigest;
  std::string targetDigest;
  // The rows did not come in key order and were sorted before they were compared.
  bool sorted = false;

  // Why the comparison could not be made or finished; absent when it was.
  std::optional<std::string> error;
  // The server connection was lost while the table was read back.
  bool connectionLost = false;

  std::int64_t Differences() const {
    return mismatches + rowsMissingInTarget + rowsMissingInSource;
  }
  bool Succeeded() const { return !error && Differences() == 0; }
};

}  // namespace skerrow
