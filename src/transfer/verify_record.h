#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "transfer/verify_values.h"

namespace skerrow {

// One row as the verification sorts, compares and hashes it.
struct RowRecord {
  // The row's key columns in an encoding that orders as the key (AppendOrderedKey); empty
  // for a table without a key, whose rows order by their values.
  std::string key;
  // Every compared column's canonical value (EncodeRowValue), in column order: the bytes
  // the digest is taken of.
  std::string row;
  // On the source side, what a comparison needs besides the values (SourceRowNotes).
  std::string extra;
};

// Orders by the key, then by the row's values.
int CompareRecords(const RowRecord& a, const RowRecord& b);

// Appends one canonical value to a row: 00 for NULL, else 01, its length in four bytes (least
// significant first) and its bytes. The same on every machine, so digests can be compared.
void EncodeRowValue(std::string& row, const CanonicalValue& value);

// The values of an encoded row; nullopt when the bytes are not such a row.
std::optional<std::vector<CanonicalValue>> DecodeRow(std::string_view row);

// What the source knows of a row beyond its values.
struct SourceRowNotes {
  // Why the conversion cannot write the row at all (an infinity, a date before year 1).
  std::optional<std::string> refusal;
  // The columns whose source value a DOUBLE keeps only as its nearest double, with the
  // source's own text of the value.
  std::vector<std::pair<std::uint32_t, std::string>> rounded;

  bool Empty() const { return !refusal && rounded.empty(); }
  std::string Encode() const;
  static SourceRowNotes Decode(std::string_view bytes);
};

}  // namespace skerrow
