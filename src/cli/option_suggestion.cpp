#include "cli/option_suggestion.h"

#include <algorithm>
#include <limits>

namespace skerrow::cli {
namespace {

// Longer input is no typing slip; this also bounds the work on hostile arguments.
constexpr std::size_t kLongestComparedName = 64;
constexpr std::size_t kMostEdits = 2;

// Edits (insertions, deletions, substitutions, swaps of neighbours) between `a` and `b`.
std::size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> beforePrevious(b.size() + 1);
  std::vector<std::size_t> previous(b.size() + 1);
  std::vector<std::size_t> current(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) previous[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    current[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t substitution = previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
      current[j] = std::min({previous[j] + 1, current[j - 1] + 1, substitution});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
        current[j] = std::min(current[j], beforePrevious[j - 2] + 1);
      }
    }
    beforePrevious.swap(previous);
    previous.swap(current);
  }
  return previous[b.size()];
}

}  // namespace

std::optional<std::string> ClosestOptionName(std::string_view typed,
                                             const std::vector<std::string>& known) {
  if (typed.empty() || typed.size() > kLongestComparedName) return std::nullopt;

  std::optional<std::string> best;
  std::size_t bestDistance = std::numeric_limits<std::size_t>::max();
  bool tie = false;
  for (const auto& name : known) {
    const std::size_t distance = EditDistance(typed, name);
    if (distance < bestDistance) {
      best = name, bestDistance = distance, tie = false;
    } else if (distance == bestDistance) {
      tie = true;
    }
  }
  if (best && bestDistance <= kMostEdits && !tie) return best;

  // "--over" for "--overwrite": a beginning that only one name has.
  std::optional<std::string> extended;
  for (const auto& name : known) {
    if (name.size() <= typed.size() || name.compare(0, typed.size(), typed) != 0) continue;
    if (extended) return std::nullopt;
    extended = name;
  }
  return extended;
}

}  // namespace skerrow::cli
