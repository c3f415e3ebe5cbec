#pragma once

#include <string>

#include "db/source_error.h"
#include "oci/oci_context.h"

namespace skerrow::oci {

// Oracle's messages held by `handle`: an error handle (OCI_HTYPE_ERROR), or the environment
// handle (OCI_HTYPE_ENV) for the errors of its own creation. Several records are joined by line
// breaks; the line break Oracle ends each with is removed. Empty when the handle holds none.
std::string OciMessages(const OciFunctions& functions, void* handle, ub4 handleType);

// The SourceError of a failed OCI call: Oracle's message from the error handle (for example
// "ORA-01017: invalid username/password; logon denied") as the description, code 0x80004005 as
// for every database error; an invalid handle gives kCodeInvalidPointer. `call` names the OCI
// function for the rare case that the error handle holds no message.
SourceError OciCallError(const OciFunctions& functions, OCIError* error, sword status,
                         const char* call);

// Raises OciCallError unless `status` is OCI_SUCCESS or OCI_SUCCESS_WITH_INFO. A success with
// information is a success: its text goes to the context's notices.
void CheckOci(const OciContext& context, sword status, const char* call);

// Reports the text of a success with information (nothing for other statuses).
void NoteOciInfo(const OciContext& context, sword status);

// A failure found by this program itself (a value it cannot read), in the same form.
SourceError OciDataError(const std::string& description);

}  // namespace skerrow::oci
