#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "db/row_array.h"
#include "oci/oci_context.h"
#include "oci/oci_long_pieces.h"

namespace skerrow::oci {

// One executed statement. A query is described and defined at once, then fetched in arrays of
// up to kRowsPerFetch rows as its rows are asked for; other statements have no fields and no
// rows. Every failure raises SourceError.
class OciResult {
 public:
  OciResult(const OciContext& context, const std::string& sql);
  ~OciResult();
  OciResult(const OciResult&) = delete;
  OciResult& operator=(const OciResult&) = delete;

  int FieldCount() const { return static_cast<int>(columns_.size()); }
  bool IsQuery() const { return query_; }
  // Fetches the next array when nothing is buffered.
  bool EndOfRows();
  // Up to `maxRows` further rows (all for a negative count); at least one must be left.
  RowArray Fetch(long maxRows);

 private:
  // How one field is defined and turned back into a value.
  struct Column {
    ub2 describedType = 0;  // SQLT_* of the column
    ub1 charsetForm = SQLCS_IMPLICIT;
    ub2 definedType = 0;  // SQLT_* it is fetched as
    sb4 slotSize = 0;     // bytes per row in `buffer`
    bool number = false;  // text that holds a NUMBER
    std::vector<unsigned char> buffer;
    std::vector<sb2> indicators;
    std::vector<ub4> lengths;
    std::vector<ub2> returnCodes;
    std::vector<OCILobLocator*> locators;
    std::unique_ptr<LongPieces> pieces;  // LONG and LONG RAW, fetched in pieces instead
  };

  void Release();
  void Describe();
  void Define();
  void FetchArray();
  Variant ReadValue(Column& column, std::size_t row, std::size_t field) const;
  std::string ReadLob(OCILobLocator* locator, ub1 charsetForm) const;

  OciContext context_;
  OCIStmt* statement_ = nullptr;
  bool query_ = false;
  std::vector<Column> columns_;
  ub4 arrayRows_ = 1;
  bool exhausted_ = false;
  std::deque<std::vector<Variant>> pending_;
};

}  // namespace skerrow::oci
