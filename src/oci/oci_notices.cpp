#include "oci/oci_notices.h"

#include <iostream>

#include "oci/oci_session.h"

namespace skerrow::oci {

void OciNotices::Report(const std::string& text) {
  if (text.empty() || reported_.contains(text)) return;
  if (reported_.size() < kMaxRemembered) reported_.insert(text);
  std::clog << kOciSourceName << ": " << text << std::endl;
}

}  // namespace skerrow::oci
