#pragma once

#include <string>

#include "db/source_error.h"
#include "oci/oci_library.h"

namespace skerrow::oci {

// The SourceError of a failed OCI call: Oracle's message from the error handle (for example
// "ORA-01017: invalid username/password; logon denied") as the description, code 0x80004005 as
// for every database error; an invalid handle gives kCodeInvalidPointer. `call` names the OCI
// function for the rare case that the error handle holds no message.
SourceError OciCallError(const OciFunctions& functions, OCIError* error, sword status,
                         const char* call);

// Raises OciCallError unless `status` is OCI_SUCCESS or OCI_SUCCESS_WITH_INFO.
void CheckOci(const OciFunctions& functions, OCIError* error, sword status, const char* call);

// A failure found by this program itself (a value it cannot read), in the same form.
SourceError OciDataError(const std::string& description);

}  // namespace skerrow::oci
