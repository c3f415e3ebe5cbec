#include "oci/oci_error.h"

#include "oci/oci_session.h"

namespace skerrow::oci {

SourceError OciCallError(const OciFunctions& functions, OCIError* error, sword status,
                         const char* call) {
  if (status == OCI_INVALID_HANDLE)
    return SourceError(std::string(kOciSourceName), kCodeInvalidPointer,
                       std::string(call) + " was given an invalid handle.");
  std::string message;
  if (error) {
    OraText buffer[3072] = {};
    sb4 code = 0;
    if (functions.ErrorGet(error, 1, nullptr, &code, buffer, sizeof buffer, OCI_HTYPE_ERROR) ==
        OCI_SUCCESS)
      message = reinterpret_cast<const char*>(buffer);
  }
  // Oracle ends its messages with a line break.
  while (!message.empty() &&
         (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
    message.pop_back();
  if (message.empty())
    message = std::string(call) + " failed with status " + std::to_string(status) +
              " and no message from Oracle.";
  return SourceError(std::string(kOciSourceName), kCodeUnspecifiedError, message);
}

void CheckOci(const OciFunctions& functions, OCIError* error, sword status, const char* call) {
  if (status != OCI_SUCCESS && status != OCI_SUCCESS_WITH_INFO)
    throw OciCallError(functions, error, status, call);
}

SourceError OciDataError(const std::string& description) {
  return SourceError(std::string(kOciSourceName), kCodeUnspecifiedError, description);
}

}  // namespace skerrow::oci
