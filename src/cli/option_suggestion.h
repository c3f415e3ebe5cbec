#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace skerrow::cli {

// The known option name a misspelt `typed` most likely meant: the closest one within two
// edits (a swapped pair of neighbours counts as one), or the only one `typed` begins. Absent
// when no name is that close or two are equally close.
std::optional<std::string> ClosestOptionName(std::string_view typed,
                                             const std::vector<std::string>& known);

}  // namespace skerrow::cli
