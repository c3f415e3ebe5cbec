#include "oci/oci_error.h"

#include "oci/oci_session.h"

namespace skerrow::oci {

namespace {

// A chain of messages is short; this only bounds a client that never says "no more".
constexpr ub4 kMaxMessageRecords = 8;

void TrimLineEnd(std::string& text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
    text.pop_back();
}

}  // namespace

std::string OciMessages(const OciFunctions& functions, void* handle, ub4 handleType) {
  std::string messages;
  if (!handle) return messages;
  for (ub4 record = 1; record <= kMaxMessageRecords; ++record) {
    OraText buffer[3072] = {};
    sb4 code = 0;
    if (functions.ErrorGet(handle, record, nullptr, &code, buffer, sizeof buffer, handleType) !=
        OCI_SUCCESS)
      break;
    buffer[sizeof buffer - 1] = 0;
    std::string message = reinterpret_cast<const char*>(buffer);
    TrimLineEnd(message);
    if (message.empty()) break;
    messages += (messages.empty() ? "" : "\n") + message;
  }
  return messages;
}

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
        OCI_SUCCESS) {
      buffer[sizeof buffer - 1] = 0;
      message = reinterpret_cast<const char*>(buffer);
    }
  }
  // Oracle ends its messages with a line break.
  TrimLineEnd(message);
  if (message.empty())
    message = std::string(call) + " failed with status " + std::to_string(status) +
              " and no message from Oracle.";
  return SourceError(std::string(kOciSourceName), kCodeUnspecifiedError, message);
}

void NoteOciInfo(const OciContext& context, sword status) {
  if (status != OCI_SUCCESS_WITH_INFO || !context.notices) return;
  context.notices->Report(OciMessages(*context.functions, context.error, OCI_HTYPE_ERROR));
}

void CheckOci(const OciContext& context, sword status, const char* call) {
  if (status != OCI_SUCCESS && status != OCI_SUCCESS_WITH_INFO)
    throw OciCallError(*context.functions, context.error, status, call);
  NoteOciInfo(context, status);
}

SourceError OciDataError(const std::string& description) {
  return SourceError(std::string(kOciSourceName), kCodeUnspecifiedError, description);
}

}  // namespace skerrow::oci
