#include "oci/oci_session.h"

#include <new>
#include <string>

#include "oci/oci_error.h"
#include "oci/oci_result.h"

namespace skerrow::oci {

namespace {

// Dates, timestamps and numbers arrive as text in these forms whatever the client's NLS_LANG.
// FF without a digit writes each column's own fractional precision (nine digits of a
// TIMESTAMP(9), none of a TIMESTAMP(0)). TIMESTAMP WITH LOCAL TIME ZONE values are shown in the
// session's time zone, which is UTC rather than whatever zone the client machine is in.
constexpr const char* kSessionFormats =
    "ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY-MM-DD HH24:MI:SS' "
    "NLS_TIMESTAMP_FORMAT = 'YYYY-MM-DD HH24:MI:SS.FF' "
    "NLS_TIMESTAMP_TZ_FORMAT = 'YYYY-MM-DD HH24:MI:SS.FF TZH:TZM' "
    "NLS_NUMERIC_CHARACTERS = '.,' "
    "TIME_ZONE = '+00:00'";

class OciSession : public SourceBackend {
 public:
  OciSession(std::shared_ptr<OciLibrary> library, const std::string& connectIdentifier,
             const std::string& user, const std::string& password)
      : library_(std::move(library)), f_(library_->Functions()) {
    try {
      LogOn(connectIdentifier, user, password);
    } catch (...) {
      Release();
      throw;
    }
  }

  ~OciSession() override { Release(); }

  void Execute(const std::string& sql) override {
    try {
      auto next = std::make_unique<OciResult>(Context(), sql);
      result_ = std::move(next);  // only a statement that ran replaces the current result
    } catch (const std::bad_alloc&) {
      throw SourceError(std::string(kOciSourceName), kCodeOutOfMemory, std::nullopt);
    }
  }

  RowArray GetRows(long maxRows) override {
    if (!result_) throw SourceError(std::string(kOciSourceName), kCodeInvalidPointer, std::nullopt);
    if (!result_->IsQuery())
      throw SourceError(std::string(kOciSourceName), kCodeObjectClosed,
                        "Operation is not allowed when the object is closed.");
    try {
      if (result_->EndOfRows())
        throw SourceError(std::string(kOciSourceName), kCodeNoCurrentRecord,
                          "Either BOF or EOF is True, or the current record has been deleted. "
                          "Requested operation requires a current record.");
      return result_->Fetch(maxRows);
    } catch (const std::bad_alloc&) {
      throw SourceError(std::string(kOciSourceName), kCodeOutOfMemory, std::nullopt);
    }
  }

  bool EndOfRows() override { return !result_ || result_->EndOfRows(); }

  int FieldCount() override {
    if (!result_) throw SourceError(std::string(kOciSourceName), kCodeInvalidPointer, std::nullopt);
    return result_->FieldCount();
  }

 private:
  OciContext Context() { return {&f_, environment_, error_, service_, &notices_}; }

  template <typename Handle>
  void Allocate(Handle*& handle, ub4 type, const char* what) {
    void* allocated = nullptr;
    const sword status = f_.HandleAlloc(environment_, &allocated, type, 0, nullptr);
    if (status != OCI_SUCCESS && status != OCI_SUCCESS_WITH_INFO) {
      std::string description = std::string("The Oracle client failed to allocate ") + what + ".";
      // Allocation errors are held by the environment handle.
      if (const auto said = OciMessages(f_, environment_, OCI_HTYPE_ENV); !said.empty())
        description += " " + said;
      throw SourceError(std::string(kOciSourceName), kCodeOutOfMemory, description);
    }
    handle = static_cast<Handle*>(allocated);
  }

  void LogOn(const std::string& connectIdentifier, const std::string& user,
             const std::string& password) {
    void* environment = nullptr;
    const sword created =
        f_.EnvNlsCreate(reinterpret_cast<OCIEnv**>(&environment), OCI_THREADED, nullptr, nullptr,
                        nullptr, nullptr, 0, nullptr, kAl32Utf8, kAl32Utf8);
    environment_ = static_cast<OCIEnv*>(environment);
    // Before there is an error handle, Oracle's messages are held by the environment handle.
    const std::string said = OciMessages(f_, environment_, OCI_HTYPE_ENV);
    if (created == OCI_SUCCESS_WITH_INFO) notices_.Report(said);
    if (created != OCI_SUCCESS && created != OCI_SUCCESS_WITH_INFO)
      throw SourceError(std::string(kOciSourceName), kCodeUnspecifiedError,
                        "The Oracle client library " + library_->Path() +
                            " failed to set up its environment (is ORACLE_HOME or the "
                            "Instant Client installation complete?)" +
                            (said.empty() ? std::string(".") : ": " + said));
    Allocate(error_, OCI_HTYPE_ERROR, "an error handle");
    Allocate(server_, OCI_HTYPE_SERVER, "a server handle");
    Allocate(service_, OCI_HTYPE_SVCCTX, "a service context");
    Allocate(session_, OCI_HTYPE_SESSION, "a session handle");

    CheckOci(
        Context(),
        f_.ServerAttach(server_, error_, reinterpret_cast<const OraText*>(connectIdentifier.data()),
                        static_cast<sb4>(connectIdentifier.size()), OCI_DEFAULT),
        "OCIServerAttach");
    attached_ = true;
    CheckOci(Context(), f_.AttrSet(service_, OCI_HTYPE_SVCCTX, server_, 0, OCI_ATTR_SERVER, error_),
             "OCIAttrSet(OCI_ATTR_SERVER)");
    CheckOci(Context(),
             f_.AttrSet(session_, OCI_HTYPE_SESSION, const_cast<char*>(user.data()),
                        static_cast<ub4>(user.size()), OCI_ATTR_USERNAME, error_),
             "OCIAttrSet(OCI_ATTR_USERNAME)");
    CheckOci(Context(),
             f_.AttrSet(session_, OCI_HTYPE_SESSION, const_cast<char*>(password.data()),
                        static_cast<ub4>(password.size()), OCI_ATTR_PASSWORD, error_),
             "OCIAttrSet(OCI_ATTR_PASSWORD)");
    CheckOci(Context(), f_.SessionBegin(service_, error_, session_, OCI_CRED_RDBMS, OCI_DEFAULT),
             "OCISessionBegin");
    begun_ = true;
    CheckOci(Context(),
             f_.AttrSet(service_, OCI_HTYPE_SVCCTX, session_, 0, OCI_ATTR_SESSION, error_),
             "OCIAttrSet(OCI_ATTR_SESSION)");
    OciResult formats(Context(), kSessionFormats);
  }

  void Release() {
    result_.reset();
    if (begun_) f_.SessionEnd(service_, error_, session_, OCI_DEFAULT);
    if (attached_) f_.ServerDetach(server_, error_, OCI_DEFAULT);
    begun_ = attached_ = false;
    if (session_) f_.HandleFree(session_, OCI_HTYPE_SESSION);
    if (service_) f_.HandleFree(service_, OCI_HTYPE_SVCCTX);
    if (server_) f_.HandleFree(server_, OCI_HTYPE_SERVER);
    if (error_) f_.HandleFree(error_, OCI_HTYPE_ERROR);
    if (environment_) f_.HandleFree(environment_, OCI_HTYPE_ENV);
    session_ = nullptr;
    service_ = nullptr;
    server_ = nullptr;
    error_ = nullptr;
    environment_ = nullptr;
  }

  std::shared_ptr<OciLibrary> library_;  // declared first: outlives every handle
  const OciFunctions& f_;
  OCIEnv* environment_ = nullptr;
  OCIError* error_ = nullptr;
  OCIServer* server_ = nullptr;
  OCISvcCtx* service_ = nullptr;
  OCISession* session_ = nullptr;
  bool attached_ = false;
  bool begun_ = false;
  OciNotices notices_;
  std::unique_ptr<OciResult> result_;
};

}  // namespace

std::unique_ptr<SourceBackend> OpenOciSession(
    const std::string& connectIdentifier, const std::string& user, const std::string& password,
    const std::vector<std::filesystem::path>& embeddedSearchPath) {
  return OpenOciSession(
      OciLibrary::Load(OciLibraryCandidates(), connectIdentifier, embeddedSearchPath),
      connectIdentifier, user, password);
}

std::unique_ptr<SourceBackend> OpenOciSession(std::shared_ptr<OciLibrary> library,
                                              const std::string& connectIdentifier,
                                              const std::string& user,
                                              const std::string& password) {
  return std::make_unique<OciSession>(std::move(library), connectIdentifier, user, password);
}

}  // namespace skerrow::oci
