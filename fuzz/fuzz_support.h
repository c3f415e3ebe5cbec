#pragma once

// Small helpers shared by the fuzz harnesses: reading typed pieces off the input, and stopping
// with a message when a property the code promises does not hold.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <string_view>

namespace skerrow::fuzz {

// Takes fixed-size pieces from the front of the input; past the end, pieces are zero.
class InputReader {
 public:
  InputReader(const std::uint8_t* data, std::size_t size)
      : rest_(reinterpret_cast<const char*>(data), size) {}

  std::uint8_t Byte() {
    if (rest_.empty()) return 0;
    const auto byte = static_cast<std::uint8_t>(rest_.front());
    rest_.remove_prefix(1);
    return byte;
  }

  template <typename T>
  T Raw() {
    T value{};
    const std::size_t n = rest_.size() < sizeof value ? rest_.size() : sizeof value;
    std::memcpy(&value, rest_.data(), n);
    rest_.remove_prefix(n);
    return value;
  }

  // Up to the next `separator` (dropped), or everything that is left.
  std::string_view Until(char separator) {
    const std::size_t at = rest_.find(separator);
    const std::string_view piece = rest_.substr(0, at);
    rest_.remove_prefix(at == std::string_view::npos ? rest_.size() : at + 1);
    return piece;
  }

  std::string_view Rest() {
    const std::string_view rest = rest_;
    rest_ = {};
    return rest;
  }

  bool Empty() const { return rest_.empty(); }

 private:
  std::string_view rest_;
};

// A broken promise is a finding: say which, with the values, and stop as a crash would.
[[noreturn]] inline void Broken(std::string_view what, std::string_view detail = {}) {
  std::cerr << "fuzz property broken: " << what;
  if (!detail.empty()) std::cerr << "\n  " << detail;
  std::cerr << std::endl;
  std::abort();
}

inline void Check(bool holds, std::string_view what, std::string_view detail = {}) {
  if (!holds) Broken(what, detail);
}

}  // namespace skerrow::fuzz
