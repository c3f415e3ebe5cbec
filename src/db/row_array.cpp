#include "db/row_array.h"

#include <stdexcept>

namespace skerrow {

void RowArray::AppendRow(std::vector<Variant> values) {
  if (values.size() != fields_.size())
    throw std::invalid_argument("RowArray::AppendRow: wrong number of values");
  for (std::size_t field = 0; field < values.size(); ++field)
    fields_[field].push_back(std::move(values[field]));
}

void RowArray::Reserve(std::size_t rows) {
  for (auto& field : fields_) field.reserve(rows);
}

}  // namespace skerrow
