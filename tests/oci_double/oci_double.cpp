// A stand-in for Oracle's client library (libclntsh.so) for tests: it exports the OCI entry
// points the converter calls and serves them from embedded Oracle instances, so that the
// whole OCI path (logon, describe, array fetch, NULL indicators, LOB locators, errors through
// the error handle) runs without an Oracle database. Where Oracle's documentation says what
// the client does with a caller's choices, the double does it too: national data without the
// national form passes through a Latin-1 database character set, timestamps follow the
// session's formats and time zone, NUMBER text is Oracle's, dynamic defines get their values
// in pieces through their callback, and a test can make any call succeed with information or
// fail.
//
// Connect identifiers name instance directories in SKERROW_OCI_DOUBLE_PATH (a colon list),
// which is deliberately not SKERROW_ORACLE_PATH: the converter must not find them itself.

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <system_error>

#include "db/source_error.h"
#include "double_handles.h"
#include "oracle/embedded_provider.h"
#include "oracle/oracle_names.h"
#include "text/ascii.h"

#define OCI_DOUBLE_EXPORT extern "C" __attribute__((visibility("default")))

using namespace skerrow;
using namespace skerrow::ocidouble;
namespace fs = std::filesystem;

namespace {

std::mutex& JournalMutex() {
  static std::mutex mutex;
  return mutex;
}
std::string& Journal() {
  static std::string journal;
  return journal;
}
void Note(const std::string& entry) {
  std::lock_guard lock(JournalMutex());
  Journal() += entry + "\n";
}

// Statuses a test asked for, by the name of the call they replace (once each).
struct Injection {
  sword status = OCI_SUCCESS;
  std::string message;
};
std::map<std::string, Injection>& Injections() {
  static std::map<std::string, Injection> injections;
  return injections;
}
std::optional<Injection> TakeInjection(const std::string& call) {
  std::lock_guard lock(JournalMutex());
  const auto found = Injections().find(call);
  if (found == Injections().end()) return std::nullopt;
  Injection injection = found->second;
  Injections().erase(found);
  return injection;
}

// A call that did its work: an injected success with information (or error) replaces its
// OCI_SUCCESS, the message going to the error handle.
sword Finish(const char* call, OCIError* errhp, sword status);

sword Fail(OCIError* errhp, const std::string& message) {
  if (auto* error = reinterpret_cast<ErrorHandle*>(errhp)) {
    error->message = message;
    error->code = message.rfind("ORA-", 0) == 0 ? std::atoi(message.c_str() + 4) : 0;
  }
  return OCI_ERROR;
}

void Clear(OCIError* errhp) {
  if (auto* error = reinterpret_cast<ErrorHandle*>(errhp)) {
    error->message.clear();
    error->code = 0;
  }
}

sword Finish(const char* call, OCIError* errhp, sword status) {
  if (status != OCI_SUCCESS) return status;
  const auto injected = TakeInjection(call);
  if (!injected) return status;
  if (auto* error = reinterpret_cast<ErrorHandle*>(errhp)) {
    error->message = injected->message;
    error->code =
        injected->message.rfind("ORA-", 0) == 0 ? std::atoi(injected->message.c_str() + 4) : 0;
  }
  return injected->status;
}

// The handle as a T when it is one of type `type`. Callers pass the type their caller named,
// which need not be T's (OCIAttrSet tries each kind in turn): dynamic_cast says whether it is.
template <typename T>
T* As(const void* handle, ub4 type) {
  auto* base = static_cast<Handle*>(const_cast<void*>(handle));
  return base && base->type == type ? dynamic_cast<T*>(base) : nullptr;
}

std::optional<fs::path> FindInstance(const std::string& name) {
  const char* listed = std::getenv("SKERROW_OCI_DOUBLE_PATH");
  if (!listed) return std::nullopt;
  std::string_view rest(listed);
  while (!rest.empty()) {
    const auto colon = rest.find(':');
    const fs::path directory(std::string(rest.substr(0, colon)));
    std::error_code error;
    for (fs::directory_iterator it(directory, error), end; !error && it != end; it.increment(error))
      if (text::EqualsIgnoringAsciiCase(it->path().filename().string(), name) &&
          fs::exists(it->path() / "catalog.db", error))
        return it->path();
    if (colon == std::string_view::npos) break;
    rest.remove_prefix(colon + 1);
  }
  return std::nullopt;
}

std::unique_ptr<SourceBackend> LogOnTo(const fs::path& instance, const std::string& user,
                                       const std::string& password) {
  return oracle::OpenEmbeddedSessionAt(instance, user, password);
}

ub2 StatementType(const std::string& sql) {
  std::size_t start = sql.find_first_not_of(" \t\r\n(");
  if (start == std::string::npos) return 0;
  std::string word;
  while (start < sql.size() && std::isalpha(static_cast<unsigned char>(sql[start])))
    word += static_cast<char>(std::toupper(static_cast<unsigned char>(sql[start++])));
  if (word == "SELECT" || word == "WITH") return OCI_STMT_SELECT;
  if (word == "UPDATE") return 2;
  if (word == "DELETE") return 3;
  if (word == "INSERT") return 4;
  if (word == "CREATE") return 5;
  if (word == "DROP") return 6;
  if (word == "ALTER") return 7;
  return 0;
}

// Runs the body; anything it throws becomes an Oracle internal error, never a crash.
template <typename Body>
sword Guarded(OCIError* errhp, Body body) {
  try {
    return body();
  } catch (const SourceError& error) {
    return Fail(errhp, error.Description().value_or(error.SystemMessage()));
  } catch (const std::exception& error) {
    return Fail(errhp,
                std::string("ORA-00600: internal error code, arguments: [") + error.what() + "]");
  }
}

}  // namespace

// --- Test access to what the double saw. ---

// Every call worth checking, one a line: "ENV 873 873", "ATTACH name", "LOGON user",
// "EXECUTE sql", "FETCH asked got", "LOBREAD piece".
OCI_DOUBLE_EXPORT const char* SkerrowOciDoubleJournal() {
  static std::string copy;
  std::lock_guard lock(JournalMutex());
  copy = Journal();
  return copy.c_str();
}

// Clears the journal and every injection not taken yet.
OCI_DOUBLE_EXPORT void SkerrowOciDoubleClearJournal() {
  std::lock_guard lock(JournalMutex());
  Journal().clear();
  Injections().clear();
}

// The next call of `call` ("OCIEnvNlsCreate", "OCISessionBegin", "OCILobRead2", ...) that would
// succeed returns `status` instead (OCI_SUCCESS_WITH_INFO, OCI_ERROR) with `message`.
OCI_DOUBLE_EXPORT void SkerrowOciDoubleInject(const char* call, int status, const char* message) {
  std::lock_guard lock(JournalMutex());
  Injections()[call] = {status, message};
}

// --- Handles. ---

OCI_DOUBLE_EXPORT sword OCIEnvNlsCreate(OCIEnv** envhpp, ub4 mode, void*, void* (*)(void*, size_t),
                                        void* (*)(void*, void*, size_t), void (*)(void*, void*),
                                        size_t, void**, ub2 charset, ub2 ncharset) {
  Note("ENV " + std::to_string(mode) + " " + std::to_string(charset) + " " +
       std::to_string(ncharset));
  auto* environment = new EnvHandle;
  *envhpp = reinterpret_cast<OCIEnv*>(static_cast<Handle*>(environment));
  // Oracle hands out the environment handle even when its creation failed, so that its
  // message can be read; the caller frees it.
  if (const auto injected = TakeInjection("OCIEnvNlsCreate")) {
    environment->message = injected->message;
    return injected->status;
  }
  return OCI_SUCCESS;
}

OCI_DOUBLE_EXPORT sword OCIHandleAlloc(const void* parenth, void** hndlpp, ub4 type, size_t,
                                       void**) {
  if (!As<EnvHandle>(parenth, OCI_HTYPE_ENV)) return OCI_INVALID_HANDLE;
  Handle* handle = nullptr;
  switch (type) {
    case OCI_HTYPE_ERROR:
      handle = new ErrorHandle;
      break;
    case OCI_HTYPE_SERVER:
      handle = new ServerHandle;
      break;
    case OCI_HTYPE_SVCCTX:
      handle = new ServiceHandle;
      break;
    case OCI_HTYPE_SESSION:
      handle = new SessionHandle;
      break;
    case OCI_HTYPE_STMT:
      handle = new StmtHandle;
      break;
    default:
      return OCI_INVALID_HANDLE;
  }
  *hndlpp = handle;
  return OCI_SUCCESS;
}

OCI_DOUBLE_EXPORT sword OCIHandleFree(void* hndlp, ub4 type) {
  auto* handle = static_cast<Handle*>(hndlp);
  if (!handle || handle->type != type) return OCI_INVALID_HANDLE;
  delete handle;
  return OCI_SUCCESS;
}

OCI_DOUBLE_EXPORT sword OCIDescriptorAlloc(const void* parenth, void** descpp, ub4 type, size_t,
                                           void**) {
  if (!As<EnvHandle>(parenth, OCI_HTYPE_ENV) || type != OCI_DTYPE_LOB) return OCI_INVALID_HANDLE;
  *descpp = static_cast<Handle*>(new LobHandle);
  return OCI_SUCCESS;
}

OCI_DOUBLE_EXPORT sword OCIDescriptorFree(void* descp, ub4 type) {
  return OCIHandleFree(descp, type);
}

// --- Attributes. ---

OCI_DOUBLE_EXPORT sword OCIAttrSet(void* trgthndlp, ub4 trghndltyp, void* attributep, ub4 size,
                                   ub4 attrtype, OCIError* errhp) {
  if (auto* service = As<ServiceHandle>(trgthndlp, trghndltyp);
      service && trghndltyp == OCI_HTYPE_SVCCTX) {
    if (attrtype == OCI_ATTR_SERVER) {
      service->server = As<ServerHandle>(attributep, OCI_HTYPE_SERVER);
      return service->server ? OCI_SUCCESS : OCI_INVALID_HANDLE;
    }
    if (attrtype == OCI_ATTR_SESSION) {
      service->session = As<SessionHandle>(attributep, OCI_HTYPE_SESSION);
      return service->session ? OCI_SUCCESS : OCI_INVALID_HANDLE;
    }
  }
  if (auto* define = As<DefineHandle>(trgthndlp, trghndltyp);
      define && trghndltyp == OCI_HTYPE_DEFINE && attrtype == OCI_ATTR_CHARSET_FORM) {
    const ub1 form = *static_cast<const ub1*>(attributep);
    if (form != SQLCS_IMPLICIT && form != SQLCS_NCHAR)
      return Fail(errhp, "ORA-12715: invalid character set specified");
    if (const auto injected = TakeInjection("OCIAttrSet(OCI_ATTR_CHARSET_FORM)")) {
      Fail(errhp, injected->message);
      return injected->status;
    }
    define->form = form;
    Note("CHARSET_FORM " + std::to_string(define->position) + " " + std::to_string(form));
    return OCI_SUCCESS;
  }
  if (auto* session = As<SessionHandle>(trgthndlp, trghndltyp);
      session && trghndltyp == OCI_HTYPE_SESSION) {
    const std::string text(static_cast<const char*>(attributep), size);
    if (attrtype == OCI_ATTR_USERNAME) {
      session->user = text;
      return OCI_SUCCESS;
    }
    if (attrtype == OCI_ATTR_PASSWORD) {
      session->password = text;
      return OCI_SUCCESS;
    }
  }
  return Fail(errhp, "ORA-24315: illegal attribute type");
}

OCI_DOUBLE_EXPORT sword OCIAttrGet(const void* trgthndlp, ub4 trghndltyp, void* attributep,
                                   ub4* sizep, ub4 attrtype, OCIError* errhp) {
  if (auto* statement = As<StmtHandle>(trgthndlp, trghndltyp);
      statement && trghndltyp == OCI_HTYPE_STMT) {
    switch (attrtype) {
      case OCI_ATTR_STMT_TYPE:
        *static_cast<ub2*>(attributep) = statement->statementType;
        return OCI_SUCCESS;
      case OCI_ATTR_PARAM_COUNT:
        if (!statement->executed) return Fail(errhp, "ORA-24338: statement handle not executed");
        *static_cast<ub4*>(attributep) = static_cast<ub4>(statement->columns.size());
        return OCI_SUCCESS;
      case OCI_ATTR_ROWS_FETCHED:
        *static_cast<ub4*>(attributep) = statement->lastFetched;
        return OCI_SUCCESS;
      default:
        break;
    }
  }
  if (auto* param = As<ParamHandle>(trgthndlp, trghndltyp);
      param && trghndltyp == OCI_DTYPE_PARAM) {
    switch (attrtype) {
      case OCI_ATTR_DATA_TYPE:
        *static_cast<ub2*>(attributep) = param->column.type;
        return OCI_SUCCESS;
      case OCI_ATTR_DATA_SIZE:
        *static_cast<ub2*>(attributep) = param->column.size;
        return OCI_SUCCESS;
      case OCI_ATTR_CHARSET_FORM:
        *static_cast<ub1*>(attributep) = param->column.form;
        return OCI_SUCCESS;
      default:
        break;
    }
  }
  if (sizep) *sizep = 0;
  return Fail(errhp, "ORA-24315: illegal attribute type");
}

// --- Logon. ---

OCI_DOUBLE_EXPORT sword OCIServerAttach(OCIServer* srvhp, OCIError* errhp, const OraText* dblink,
                                        sb4 dblink_len, ub4) {
  auto* server = As<ServerHandle>(srvhp, OCI_HTYPE_SERVER);
  if (!server || !As<ErrorHandle>(errhp, OCI_HTYPE_ERROR)) return OCI_INVALID_HANDLE;
  Clear(errhp);
  const std::string name(reinterpret_cast<const char*>(dblink),
                         static_cast<std::size_t>(dblink_len));
  Note("ATTACH " + name);
  const auto instance = FindInstance(name);
  if (!instance)
    return Fail(errhp, "ORA-12154: TNS:could not resolve the connect identifier specified");
  server->instance = *instance;
  return OCI_SUCCESS;
}

OCI_DOUBLE_EXPORT sword OCIServerDetach(OCIServer* srvhp, OCIError*, ub4) {
  auto* server = As<ServerHandle>(srvhp, OCI_HTYPE_SERVER);
  if (!server) return OCI_INVALID_HANDLE;
  server->instance.clear();
  return OCI_SUCCESS;
}

OCI_DOUBLE_EXPORT sword OCISessionBegin(OCISvcCtx* svchp, OCIError* errhp, OCISession* usrhp,
                                        ub4 credt, ub4) {
  auto* service = As<ServiceHandle>(svchp, OCI_HTYPE_SVCCTX);
  auto* session = As<SessionHandle>(usrhp, OCI_HTYPE_SESSION);
  if (!service || !session || !As<ErrorHandle>(errhp, OCI_HTYPE_ERROR)) return OCI_INVALID_HANDLE;
  Clear(errhp);
  if (!service->server || service->server->instance.empty())
    return Fail(errhp, "ORA-03114: not connected to ORACLE");
  if (credt != OCI_CRED_RDBMS)
    return Fail(errhp, "ORA-01017: invalid username/password; logon denied");
  Note("LOGON " + session->user);
  return Guarded(errhp, [&] {
    session->backend = LogOnTo(service->server->instance, session->user, session->password);
    session->storedUser = oracle::StoredNameOf(session->user);
    service->session = session;
    return Finish("OCISessionBegin", errhp, OCI_SUCCESS);
  });
}

OCI_DOUBLE_EXPORT sword OCISessionEnd(OCISvcCtx* svchp, OCIError*, OCISession* usrhp, ub4) {
  auto* service = As<ServiceHandle>(svchp, OCI_HTYPE_SVCCTX);
  auto* session = As<SessionHandle>(usrhp, OCI_HTYPE_SESSION);
  if (!service || !session) return OCI_INVALID_HANDLE;
  session->backend.reset();
  return OCI_SUCCESS;
}

// --- Statements. ---

OCI_DOUBLE_EXPORT sword OCIStmtPrepare2(OCISvcCtx* svchp, OCIStmt** stmthp, OCIError* errhp,
                                        const OraText* stmttext, ub4 stmt_len, const OraText*, ub4,
                                        ub4 language, ub4) {
  auto* service = As<ServiceHandle>(svchp, OCI_HTYPE_SVCCTX);
  if (!service || !As<ErrorHandle>(errhp, OCI_HTYPE_ERROR)) return OCI_INVALID_HANDLE;
  Clear(errhp);
  if (language != OCI_NTV_SYNTAX)
    return Fail(errhp, "ORA-24301: null host specified in thread-safe logon");
  auto* statement = new StmtHandle;
  statement->service = service;
  statement->sql.assign(reinterpret_cast<const char*>(stmttext), stmt_len);
  statement->statementType = StatementType(statement->sql);
  *stmthp = reinterpret_cast<OCIStmt*>(static_cast<Handle*>(statement));
  return OCI_SUCCESS;
}

OCI_DOUBLE_EXPORT sword OCIStmtRelease(OCIStmt* stmthp, OCIError*, const OraText*, ub4, ub4) {
  return OCIHandleFree(stmthp, OCI_HTYPE_STMT);
}

OCI_DOUBLE_EXPORT sword OCIStmtExecute(OCISvcCtx* svchp, OCIStmt* stmtp, OCIError* errhp, ub4 iters,
                                       ub4, const OCISnapshot*, OCISnapshot*, ub4) {
  auto* service = As<ServiceHandle>(svchp, OCI_HTYPE_SVCCTX);
  auto* statement = As<StmtHandle>(stmtp, OCI_HTYPE_STMT);
  if (!service || !statement || !As<ErrorHandle>(errhp, OCI_HTYPE_ERROR)) return OCI_INVALID_HANDLE;
  Clear(errhp);
  if (!service->session || !service->session->backend)
    return Fail(errhp, "ORA-03114: not connected to ORACLE");
  Note("EXECUTE " + statement->sql);
  SessionHandle& session = *service->session;
  if (statement->statementType != OCI_STMT_SELECT) {
    if (iters == 0) return Fail(errhp, "ORA-24333: zero iteration count");
    std::string upper = statement->sql.substr(0, 13);
    for (auto& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (upper == "ALTER SESSION") {
      std::string message;
      if (!ApplyAlterSession(statement->sql, session.settings, message))
        return Fail(errhp, message);
      return OCI_SUCCESS;
    }
  }
  return Guarded(errhp, [&] {
    session.backend->Execute(statement->sql);
    const auto fieldCount = static_cast<std::size_t>(session.backend->FieldCount());
    std::vector<std::vector<Variant>> rows;
    while (!session.backend->EndOfRows()) {
      const RowArray block = session.backend->GetRows(1000);
      for (std::size_t row = 0; row < block.RowCount(); ++row) {
        std::vector<Variant> values;
        for (std::size_t field = 0; field < fieldCount; ++field)
          values.push_back(block.At(field, row));
        rows.push_back(std::move(values));
      }
    }
    statement->columns =
        DescribeResult(session, service->server->instance, statement->sql, rows, fieldCount);
    // Timestamps turn into text in the session's formats and time zone.
    for (std::size_t field = 0; field < statement->columns.size(); ++field) {
      const auto& timestamp = statement->columns[field].timestamp;
      if (!timestamp) continue;
      for (auto& row : rows) {
        Variant& value = row[field];
        if (value.IsNullOrEmpty()) continue;
        std::string shown;
        std::string message;
        if (!ShowTimestamp(value.Data(), *timestamp, session.settings, shown, message))
          return Fail(errhp, message);
        value = value.Kind() == VariantKind::ByteArray ? Variant::FromBytes(std::move(shown))
                                                       : Variant::FromText(std::move(shown));
      }
    }
    statement->rows = std::move(rows);
    statement->next = 0;
    statement->executed = true;
    return Finish("OCIStmtExecute", errhp, OCI_SUCCESS);
  });
}

OCI_DOUBLE_EXPORT sword OCIParamGet(const void* hndlp, ub4 htype, OCIError* errhp, void** parmdpp,
                                    ub4 pos) {
  auto* statement = As<StmtHandle>(hndlp, htype);
  if (!statement || htype != OCI_HTYPE_STMT) return OCI_INVALID_HANDLE;
  if (!statement->executed) return Fail(errhp, "ORA-24338: statement handle not executed");
  if (pos < 1 || pos > statement->columns.size())
    return Fail(errhp, "ORA-24334: no descriptor for this position");
  auto* param = new ParamHandle;
  param->column = statement->columns[pos - 1];
  *parmdpp = static_cast<Handle*>(param);
  return OCI_SUCCESS;
}

namespace {

// What OCIDefineByPos and OCIDefineByPos2 share; one of `lengths` and `lengths32` is set.
sword Define(OCIStmt* stmtp, OCIDefine** defnpp, OCIError* errhp, ub4 position, void* valuep,
             sb8 value_sz, ub2 dty, void* indp, ub2* lengths, ub4* lengths32, ub2* rcodep,
             ub4 mode) {
  auto* statement = As<StmtHandle>(stmtp, OCI_HTYPE_STMT);
  if (!statement || !As<ErrorHandle>(errhp, OCI_HTYPE_ERROR)) return OCI_INVALID_HANDLE;
  Clear(errhp);
  if (position < 1 || position > statement->columns.size())
    return Fail(errhp, "ORA-01007: variable not in select list");
  const bool dynamic = (mode & OCI_DYNAMIC_FETCH) != 0;
  if (!dynamic && (!indp || !(lengths || lengths32) || !rcodep || !valuep))
    return Fail(errhp, "ORA-24381: error(s) in array DML");  // the converter always gives all
  if (value_sz < 0 || value_sz > SB4MAXVAL)
    return Fail(errhp, "ORA-01062: unable to allocate memory for define buffer");
  auto define = std::make_unique<DefineHandle>();
  define->position = position;
  define->value = static_cast<unsigned char*>(valuep);
  define->size = static_cast<sb4>(value_sz);
  define->type = dty;
  define->indicators = static_cast<sb2*>(indp);
  define->lengths = lengths;
  define->lengths32 = lengths32;
  define->returnCodes = rcodep;
  define->dynamic = dynamic;
  Note("DEFINE " + std::to_string(position) + " " + std::to_string(dty) +
       (lengths32 || dynamic ? " 32" : " 16") + (dynamic ? " dynamic" : ""));
  *defnpp = reinterpret_cast<OCIDefine*>(static_cast<Handle*>(define.get()));
  statement->defines[position] = std::move(define);
  return OCI_SUCCESS;
}

}  // namespace

OCI_DOUBLE_EXPORT sword OCIDefineByPos(OCIStmt* stmtp, OCIDefine** defnpp, OCIError* errhp,
                                       ub4 position, void* valuep, sb4 value_sz, ub2 dty,
                                       void* indp, ub2* rlenp, ub2* rcodep, ub4 mode) {
  return Define(stmtp, defnpp, errhp, position, valuep, value_sz, dty, indp, rlenp, nullptr, rcodep,
                mode);
}

OCI_DOUBLE_EXPORT sword OCIDefineByPos2(OCIStmt* stmtp, OCIDefine** defnpp, OCIError* errhp,
                                        ub4 position, void* valuep, sb8 value_sz, ub2 dty,
                                        void* indp, ub4* rlenp, ub2* rcodep, ub4 mode) {
  return Define(stmtp, defnpp, errhp, position, valuep, value_sz, dty, indp, nullptr, rlenp, rcodep,
                mode);
}

OCI_DOUBLE_EXPORT sword OCIDefineDynamic(OCIDefine* defnp, OCIError* errhp, void* octxp,
                                         OCICallbackDefine ocbfp) {
  auto* define = As<DefineHandle>(defnp, OCI_HTYPE_DEFINE);
  if (!define || !As<ErrorHandle>(errhp, OCI_HTYPE_ERROR)) return OCI_INVALID_HANDLE;
  Clear(errhp);
  if (!define->dynamic) return Fail(errhp, "ORA-24323: value not allowed");
  define->callback = ocbfp;
  define->callbackContext = octxp;
  return OCI_SUCCESS;
}

OCI_DOUBLE_EXPORT sword OCIStmtFetch2(OCIStmt* stmthp, OCIError* errhp, ub4 nrows, ub2 orientation,
                                      sb4, ub4) {
  auto* statement = As<StmtHandle>(stmthp, OCI_HTYPE_STMT);
  if (!statement || !As<ErrorHandle>(errhp, OCI_HTYPE_ERROR)) return OCI_INVALID_HANDLE;
  Clear(errhp);
  if (!statement->executed) return Fail(errhp, "ORA-24338: statement handle not executed");
  if (orientation != OCI_FETCH_NEXT) return Fail(errhp, "ORA-24391: invalid fetch operation");
  if (statement->defines.size() != statement->columns.size())
    return Fail(errhp, "ORA-24374: define not done before fetch or execute and fetch");
  bool truncated = false;
  ub4 fetched = 0;
  while (fetched < nrows && statement->next < statement->rows.size()) {
    const auto& row = statement->rows[statement->next];
    for (const auto& [position, define] : statement->defines) {
      std::string message;
      bool stored = false;
      if (define->dynamic) {
        // Piecewise without a callback (OCIStmtGetPieceInfo) is not served by the double.
        if (!define->callback) {
          statement->lastFetched = fetched;
          return Fail(errhp, "ORA-24345: A Truncation or null fetch error occurred");
        }
        std::size_t pieces = 0;
        stored = DeliverPieces(row[position - 1], *define, fetched, truncated, pieces, message);
        if (pieces > 1) Note("PIECES " + std::to_string(position) + " " + std::to_string(pieces));
      } else {
        stored = StoreValue(row[position - 1], statement->columns[position - 1], *define, fetched,
                            truncated, message);
      }
      if (!stored) {
        statement->lastFetched = fetched;
        return Fail(errhp, message);
      }
    }
    ++fetched;
    ++statement->next;
  }
  statement->lastFetched = fetched;
  Note("FETCH " + std::to_string(nrows) + " " + std::to_string(fetched));
  if (fetched < nrows) {
    Fail(errhp, "ORA-01403: no data found");
    return OCI_NO_DATA;
  }
  if (truncated) {
    Fail(errhp, "ORA-24345: A Truncation or null fetch error occurred");
    return OCI_SUCCESS_WITH_INFO;
  }
  return Finish("OCIStmtFetch2", errhp, OCI_SUCCESS);
}

// --- Errors. ---

OCI_DOUBLE_EXPORT sword OCIErrorGet(void* hndlp, ub4 recordno, OraText*, sb4* errcodep,
                                    OraText* bufp, ub4 bufsiz, ub4 type) {
  const std::string* message = nullptr;
  sb4 code = 0;
  if (auto* error = As<ErrorHandle>(hndlp, type); error && type == OCI_HTYPE_ERROR) {
    message = &error->message;
    code = error->code;
  } else if (auto* environment = As<EnvHandle>(hndlp, type); environment && type == OCI_HTYPE_ENV) {
    message = &environment->message;
    code = message->rfind("ORA-", 0) == 0 ? std::atoi(message->c_str() + 4) : 0;
  } else {
    return OCI_INVALID_HANDLE;
  }
  if (recordno != 1 || message->empty()) return OCI_NO_DATA;
  if (errcodep) *errcodep = code;
  if (bufp && bufsiz > 0) {
    const std::string text = *message + "\n";
    const std::size_t copied = std::min<std::size_t>(text.size(), bufsiz - 1);
    std::memcpy(bufp, text.data(), copied);
    bufp[copied] = 0;
  }
  return OCI_SUCCESS;
}

// --- LOBs. ---

OCI_DOUBLE_EXPORT sword OCILobRead2(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp,
                                    oraub8* byte_amtp, oraub8* char_amtp, oraub8 offset, void* bufp,
                                    oraub8 bufl, ub1 piece, void*, OCICallbackLobRead2 cbfp, ub2,
                                    ub1 csfrm) {
  auto* lob = As<LobHandle>(locp, OCI_DTYPE_LOB);
  if (!As<ServiceHandle>(svchp, OCI_HTYPE_SVCCTX) || !lob ||
      !As<ErrorHandle>(errhp, OCI_HTYPE_ERROR))
    return OCI_INVALID_HANDLE;
  Clear(errhp);
  if (cbfp) return Fail(errhp, "ORA-24801: illegal parameter value in OCI lob function");
  Note("LOBREAD " + std::to_string(piece) + " form " + std::to_string(csfrm));
  // Offsets count characters of a CLOB, bytes of a BLOB; the double's texts are read from the
  // start only, which is all the converter asks for.
  if (piece == OCI_FIRST_PIECE || piece == OCI_ONE_PIECE) {
    if (offset != 1) return Fail(errhp, "ORA-24801: illegal parameter value in OCI lob function");
    if (lob->character && !lob->national && csfrm == SQLCS_NCHAR)
      return Fail(errhp, "ORA-24806: LOB form mismatch");
    lob->served =
        lob->national && csfrm != SQLCS_NCHAR ? ThroughDatabaseCharacterSet(lob->data) : lob->data;
    lob->readOffset = 0;
  } else if (piece != OCI_NEXT_PIECE) {
    return Fail(errhp, "ORA-24801: illegal parameter value in OCI lob function");
  }
  const std::string& data = lob->served;
  std::size_t limit = data.size();
  if (piece == OCI_ONE_PIECE) {
    const oraub8 amount = lob->character ? *char_amtp : *byte_amtp;
    if (amount > 0) limit = std::min<std::size_t>(limit, amount);
  }
  if (lob->readOffset >= limit && !data.empty() && piece != OCI_FIRST_PIECE) {
    *byte_amtp = 0;
    return OCI_NO_DATA;
  }
  std::size_t take = std::min<std::size_t>(limit - lob->readOffset, bufl);
  // A piece of a character LOB ends on a whole character.
  if (lob->character && lob->readOffset + take < limit)
    while (take > 0 && (static_cast<unsigned char>(data[lob->readOffset + take]) & 0xC0) == 0x80)
      --take;
  std::memcpy(bufp, data.data() + lob->readOffset, take);
  std::size_t characters = 0;
  for (std::size_t i = 0; i < take; ++i)
    if ((static_cast<unsigned char>(data[lob->readOffset + i]) & 0xC0) != 0x80) ++characters;
  lob->readOffset += take;
  *byte_amtp = take;
  if (char_amtp) *char_amtp = lob->character ? characters : 0;
  return lob->readOffset < limit ? OCI_NEED_DATA : Finish("OCILobRead2", errhp, OCI_SUCCESS);
}
