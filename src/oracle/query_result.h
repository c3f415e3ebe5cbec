#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "db/row_array.h"
#include "oracle/sqlite_handle.h"
#include "oracle/type_family.h"

namespace skerrow::oracle {

// How one field of a result turns SQLite's value into the value Oracle delivers.
struct ResultField {
  enum class Reading {
    Dictionary,      // dictionary views: numbers as doubles, text as text
    Stored,          // a table column, by its type family
    CastToRaw,       // utl_raw.cast_to_raw: the bytes of the value's text form
    CastToVarchar2,  // utl_raw.cast_to_varchar2: the bytes as text
    Url,             // URI column .getUrl(): the URL text
  };
  Reading reading = Reading::Dictionary;
  TypeFamily family = TypeFamily::OtherText;
};

// Rows the stand-in computes itself (an ordinary query), one at a time.
class ComputedRows {
 public:
  virtual ~ComputedRows() = default;
  // The next row, nullopt after the last; throws std::runtime_error with Oracle's message.
  virtual std::optional<std::vector<Variant>> Next() = 0;
};

// A result that is read as it is fetched, never held whole: GetRows steps the SQLite statement,
// or computes the rows, only as far as the rows asked for.
class QueryResult {
 public:
  // Steps to the first row; throws std::runtime_error when SQLite fails.
  QueryResult(std::unique_ptr<SqliteDatabase> ownConnection, SqliteStatement statement,
              std::vector<ResultField> fields);
  // Computes the first row; throws what computing it throws.
  explicit QueryResult(std::unique_ptr<ComputedRows> rows);

  // The fields of a row (of the first one for a computed result; 0 when it has none).
  int FieldCount() const;
  bool EndOfRows() const { return computed_ ? !pending_ : !hasRow_; }
  bool Computed() const { return computed_ != nullptr; }
  // Up to `maxRows` further rows (all for a negative count); throws std::runtime_error with
  // an Oracle message when a value cannot be read or SQLite fails.
  RowArray Fetch(long maxRows);

 private:
  Variant ReadField(int index) const;

  std::unique_ptr<SqliteDatabase> ownConnection_;  // declared first: outlives the statement
  SqliteStatement statement_;
  std::vector<ResultField> fields_;
  bool hasRow_ = false;
  std::unique_ptr<ComputedRows> computed_;
  std::optional<std::vector<Variant>> pending_;  // the computed row the next fetch starts with
  int computedFields_ = 0;
};

}  // namespace skerrow::oracle
