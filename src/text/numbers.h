#pragma once

#include <cstdint>
#include <string>

namespace skerrow::text {

// "12,345": thousands separated for reading.
std::string GroupDigits(std::int64_t number);

}  // namespace skerrow::text
