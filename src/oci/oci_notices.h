#pragma once

#include <cstddef>
#include <set>
#include <string>

namespace skerrow::oci {

// What Oracle says about calls that succeeded with information (OCI_SUCCESS_WITH_INFO: a
// password about to expire, a setting the client adjusted): written to the standard error
// stream, the run's log, each text once per session so that a warning repeated by every fetch
// does not flood it.
class OciNotices {
 public:
  void Report(const std::string& text);

 private:
  static constexpr std::size_t kMaxRemembered = 64;
  std::set<std::string> reported_;
};

}  // namespace skerrow::oci
