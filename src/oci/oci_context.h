#pragma once

#include "oci/oci_library.h"
#include "oci/oci_notices.h"

namespace skerrow::oci {

// What a call needs of its session: the functions, the handles it runs under, and where the
// texts of calls that succeeded with information go.
struct OciContext {
  const OciFunctions* functions = nullptr;
  OCIEnv* environment = nullptr;
  OCIError* error = nullptr;
  OCISvcCtx* service = nullptr;
  OciNotices* notices = nullptr;
};

}  // namespace skerrow::oci
