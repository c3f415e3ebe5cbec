#include "workflow/table_order.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <numeric>
#include <optional>
#include <string>

#include "db/source_error.h"

namespace skerrow {

namespace {

// A count as the dictionary hands it over: a number, or the text of one.
std::optional<std::int64_t> CountOf(const Variant& value) {
  double count = 0;
  if (value.Kind() == VariantKind::Double) {
    count = value.AsDouble();
  } else {
    const std::optional<std::string> text = value.ToText();
    if (!text || text->empty()) return std::nullopt;
    try {
      std::size_t used = 0;
      count = std::stod(*text, &used);
      if (used != text->size()) return std::nullopt;
    } catch (const std::exception&) {
      return std::nullopt;
    }
  }
  constexpr double kLargest = static_cast<double>(std::numeric_limits<std::int64_t>::max() / 2);
  if (!std::isfinite(count) || count < 0 || count > kLargest) return std::nullopt;
  return static_cast<std::int64_t>(count);
}

}  // namespace

std::map<std::string, std::int64_t> SourceRowCounts(const RowArray& rows) {
  std::map<std::string, std::int64_t> counts;
  if (rows.FieldCount() < 2) return counts;
  for (std::size_t row = 0; row < rows.RowCount(); ++row) {
    const std::optional<std::string> name = rows.At(0, row).ToText();
    const std::optional<std::int64_t> count = CountOf(rows.At(1, row));
    if (name && count) counts[*name] = *count;
  }
  return counts;
}

std::map<std::string, std::int64_t> ReadSourceRowCounts(SourceConnection& source) {
  // Only the order of the tables depends on it: a source that cannot tell keeps the order given.
  try {
    source.Execute(kSourceRowCountsQuery);
    return SourceRowCounts(source.GetRows());
  } catch (const SourceError&) {
    return {};
  }
}

std::vector<std::size_t> LargestFirst(const std::vector<std::string>& tables,
                                      const std::map<std::string, std::int64_t>& rowCounts) {
  constexpr std::int64_t kUnknown = std::numeric_limits<std::int64_t>::max();
  std::vector<std::int64_t> counts;
  counts.reserve(tables.size());
  for (const std::string& table : tables) {
    const auto found = rowCounts.find(table);
    counts.push_back(found == rowCounts.end() ? kUnknown : found->second);
  }
  std::vector<std::size_t> order(tables.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return counts[a] > counts[b]; });
  return order;
}

}  // namespace skerrow
