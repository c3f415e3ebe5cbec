#pragma once

#include <cstddef>
#include <vector>

#include "db/variant.h"

namespace skerrow {

// A fetched block of a result, indexed [field][row] with lower bounds 0, the way the bulk row
// fetch of the source delivers it. Storage is one vector per field.
class RowArray {
 public:
  RowArray() = default;
  explicit RowArray(std::size_t fieldCount) : fields_(fieldCount) {}

  std::size_t FieldCount() const { return fields_.size(); }
  std::size_t RowCount() const { return fields_.empty() ? 0 : fields_.front().size(); }

  const Variant& At(std::size_t field, std::size_t row) const { return fields_[field][row]; }
  Variant& At(std::size_t field, std::size_t row) { return fields_[field][row]; }

  // Appends one row; `values` must hold exactly FieldCount() values.
  void AppendRow(std::vector<Variant> values);
  void Reserve(std::size_t rows);

 private:
  std::vector<std::vector<Variant>> fields_;
};

}  // namespace skerrow
