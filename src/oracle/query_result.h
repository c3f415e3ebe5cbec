#pragma once

#include <memory>
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

// A result that is read from SQLite as it is fetched, never held whole: GetRows steps the
// statement only as far as the rows asked for.
class QueryResult {
 public:
  // Steps to the first row; throws std::runtime_error when SQLite fails.
  QueryResult(std::unique_ptr<SqliteDatabase> ownConnection, SqliteStatement statement,
              std::vector<ResultField> fields);
  // A result computed whole (an ordinary query the stand-in evaluates itself).
  QueryResult(std::vector<std::vector<Variant>> rows, int fieldCount);

  int FieldCount() const { return computed_ ? computedFields_ : static_cast<int>(fields_.size()); }
  bool EndOfRows() const { return computed_ ? next_ >= computedRows_.size() : !hasRow_; }
  // Up to `maxRows` further rows (all for a negative count); throws std::runtime_error with
  // an Oracle message when a value cannot be read or SQLite fails.
  RowArray Fetch(long maxRows);

 private:
  Variant ReadField(int index) const;

  std::unique_ptr<SqliteDatabase> ownConnection_;  // declared first: outlives the statement
  SqliteStatement statement_;
  std::vector<ResultField> fields_;
  bool hasRow_ = false;
  bool computed_ = false;
  std::vector<std::vector<Variant>> computedRows_;
  int computedFields_ = 0;
  std::size_t next_ = 0;
};

}  // namespace skerrow::oracle
