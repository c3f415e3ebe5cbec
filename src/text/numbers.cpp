#include "text/numbers.h"

namespace skerrow::text {

std::string GroupDigits(std::int64_t number) {
  // The magnitude as unsigned, so that the most negative value has one too.
  const std::uint64_t magnitude =
      number < 0 ? 0 - static_cast<std::uint64_t>(number) : static_cast<std::uint64_t>(number);
  std::string digits = std::to_string(magnitude);
  for (auto i = static_cast<std::ptrdiff_t>(digits.size()) - 3; i > 0; i -= 3) {
    digits.insert(static_cast<std::size_t>(i), ",");
  }
  return number < 0 ? "-" + digits : digits;
}

}  // namespace skerrow::text
