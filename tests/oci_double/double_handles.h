#pragma once

// The handles of the OCI test double. Each is a C++ object whose address is the handle the
// caller holds; the first member tells the handle type.

#include <cstddef>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/source_backend.h"
#include "oci/oci_api.h"

namespace skerrow::ocidouble {

using namespace skerrow::oci;

struct Handle {
  explicit Handle(ub4 handleType) : type(handleType) {}
  virtual ~Handle() = default;
  ub4 type;
};

struct ErrorHandle : Handle {
  ErrorHandle() : Handle(OCI_HTYPE_ERROR) {}
  sb4 code = 0;
  std::string message;  // "ORA-nnnnn: ..." without the line break
};

struct EnvHandle : Handle {
  EnvHandle() : Handle(OCI_HTYPE_ENV) {}
  std::string message;  // of its own creation, for OCIErrorGet(OCI_HTYPE_ENV)
};

struct ServerHandle : Handle {
  ServerHandle() : Handle(OCI_HTYPE_SERVER) {}
  std::filesystem::path instance;  // set by OCIServerAttach
};

struct SessionHandle : Handle {
  SessionHandle() : Handle(OCI_HTYPE_SESSION) {}
  std::string user;
  std::string password;
  std::string storedUser;
  std::unique_ptr<SourceBackend> backend;       // set by OCISessionBegin
  std::map<std::string, std::string> settings;  // of ALTER SESSION: "NLS_TIMESTAMP_FORMAT", ...
};

struct ServiceHandle : Handle {
  ServiceHandle() : Handle(OCI_HTYPE_SVCCTX) {}
  ServerHandle* server = nullptr;
  SessionHandle* session = nullptr;
};

// A timestamp column, whose values the session shows in its own formats.
struct TimestampColumn {
  enum class Zone { None, Own, Local };  // TIMESTAMP, WITH TIME ZONE, WITH LOCAL TIME ZONE
  Zone zone = Zone::None;
  int precision = 6;
};

// A column as the double describes it; `timestamp` also for a timestamp cast to RAW, whose
// bytes are the timestamp's text.
struct ColumnInfo {
  ColumnInfo() = default;
  ColumnInfo(ub2 type_, ub2 size_, ub1 form_,
             std::optional<TimestampColumn> timestamp_ = std::nullopt)
      : type(type_), size(size_), form(form_), timestamp(timestamp_) {}

  ub2 type = SQLT_CHR;
  ub2 size = 1;
  ub1 form = SQLCS_IMPLICIT;
  std::optional<TimestampColumn> timestamp;
};

struct ParamHandle : Handle {
  ParamHandle() : Handle(OCI_DTYPE_PARAM) {}
  ColumnInfo column;
};

struct LobHandle : Handle {
  LobHandle() : Handle(OCI_DTYPE_LOB) {}
  std::string data;
  bool character = false;
  bool national = false;       // an NCLOB
  std::string served;          // `data` as the read in progress delivers it
  std::size_t readOffset = 0;  // of the polling read in progress
};

struct DefineHandle : Handle {
  DefineHandle() : Handle(OCI_HTYPE_DEFINE) {}
  ub4 position = 0;
  ub1 form = SQLCS_IMPLICIT;  // OCI_ATTR_CHARSET_FORM as the caller set it
  unsigned char* value = nullptr;
  sb4 size = 0;
  ub2 type = 0;
  sb2* indicators = nullptr;
  ub2* lengths = nullptr;    // of OCIDefineByPos
  ub4* lengths32 = nullptr;  // of OCIDefineByPos2
  ub2* returnCodes = nullptr;
  // OCI_DYNAMIC_FETCH: no buffers, every value through the callback in pieces.
  bool dynamic = false;
  OCICallbackDefine callback = nullptr;
  void* callbackContext = nullptr;

  void SetLength(std::size_t row, std::size_t length) {
    if (lengths32) lengths32[row] = static_cast<ub4>(length);
    // 16 bits cannot tell a length of 64 KiB or more.
    if (lengths) lengths[row] = static_cast<ub2>(length);
  }
};

struct StmtHandle : Handle {
  StmtHandle() : Handle(OCI_HTYPE_STMT) {}
  ServiceHandle* service = nullptr;
  std::string sql;
  ub2 statementType = 0;
  bool executed = false;
  std::vector<ColumnInfo> columns;
  std::vector<std::vector<Variant>> rows;
  std::size_t next = 0;
  ub4 lastFetched = 0;
  std::map<ub4, std::unique_ptr<DefineHandle>> defines;
};

// The description of a query's result: Oracle's types for the row query forms (from the
// instance's catalog), else guessed from the values.
std::vector<ColumnInfo> DescribeResult(const SessionHandle& session,
                                       const std::filesystem::path& instance,
                                       const std::string& sql,
                                       const std::vector<std::vector<Variant>>& rows,
                                       std::size_t fieldCount);

// National text as it arrives when read without SQLCS_NCHAR: through the database character set,
// which in the double is WE8ISO8859P1, so every character beyond U+00FF becomes Oracle's
// replacement character there, an inverted question mark.
std::string ThroughDatabaseCharacterSet(const std::string& text);

// Takes the settings of an "ALTER SESSION SET NAME = 'value' ..." statement into `settings`,
// checking the timestamp formats and the time zone as Oracle does; false with Oracle's message.
bool ApplyAlterSession(const std::string& sql, std::map<std::string, std::string>& settings,
                       std::string& message);

// A timestamp as the instance stores it ("2024-01-15 10:30:00.123456", with " +02:00" for WITH
// TIME ZONE; a LOCAL TIME ZONE value in UTC) as the session shows it: in its
// NLS_TIMESTAMP_FORMAT or NLS_TIMESTAMP_TZ_FORMAT (Oracle's defaults when it set none), a LOCAL
// TIME ZONE value in its TIME_ZONE (the client machine's when it set none). False with Oracle's
// message.
bool ShowTimestamp(const std::string& stored, const TimestampColumn& column,
                   const std::map<std::string, std::string>& settings, std::string& shown,
                   std::string& message);

// Hands one value of a dynamic define to its callback, in as many pieces as the buffers it lends
// take; false with an Oracle message when the callback refuses or answers wrongly. A value the
// callback gave too little room for (it said OCI_ONE_PIECE or OCI_LAST_PIECE) is cut and
// flagged 1406. `pieces` counts the callback's calls.
bool DeliverPieces(const Variant& value, DefineHandle& define, ub4 row, bool& truncated,
                   std::size_t& pieces, std::string& message);

// Writes one value into row `row` of a define's buffers; false with an Oracle message when the
// define's type cannot take it. Truncation sets the return code 1406 and `truncated`.
bool StoreValue(const Variant& value, const ColumnInfo& column, DefineHandle& define,
                std::size_t row, bool& truncated, std::string& message);

}  // namespace skerrow::ocidouble
