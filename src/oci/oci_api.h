#pragma once

// The part of the Oracle Call Interface this program uses, declared from Oracle's public OCI
// documentation (Oracle Call Interface Programmer's Guide). The client library is loaded at run
// time, so only the C types, the constants and the function signatures are needed here.

#include <cstddef>
#include <cstdint>

namespace skerrow::oci {

using ub1 = std::uint8_t;
using sb1 = std::int8_t;
using ub2 = std::uint16_t;
using sb2 = std::int16_t;
using ub4 = std::uint32_t;
using sb4 = std::int32_t;
using oraub8 = std::uint64_t;
using sb8 = std::int64_t;
using sword = int;
using OraText = unsigned char;

// Handles and descriptors are opaque to the caller.
struct OCIEnv;
struct OCIError;
struct OCIServer;
struct OCISvcCtx;
struct OCISession;
struct OCIStmt;
struct OCIDefine;
struct OCIParam;
struct OCILobLocator;
struct OCISnapshot;

// Return codes.
inline constexpr sword OCI_SUCCESS = 0;
inline constexpr sword OCI_SUCCESS_WITH_INFO = 1;
inline constexpr sword OCI_NEED_DATA = 99;
inline constexpr sword OCI_NO_DATA = 100;
inline constexpr sword OCI_ERROR = -1;
inline constexpr sword OCI_INVALID_HANDLE = -2;

// Modes.
inline constexpr ub4 OCI_DEFAULT = 0x00;
inline constexpr ub4 OCI_THREADED = 0x01;
inline constexpr ub4 OCI_DYNAMIC_FETCH = 0x02;  // of a define: pieces through a callback

// What a define callback returns to go on.
inline constexpr sb4 OCI_CONTINUE = -24200;

// The largest LONG or LONG RAW value (2 GiB less one byte).
inline constexpr sb4 SB4MAXVAL = 0x7FFFFFFF;

// Handle types.
inline constexpr ub4 OCI_HTYPE_ENV = 1;
inline constexpr ub4 OCI_HTYPE_ERROR = 2;
inline constexpr ub4 OCI_HTYPE_SVCCTX = 3;
inline constexpr ub4 OCI_HTYPE_STMT = 4;
inline constexpr ub4 OCI_HTYPE_DEFINE = 6;
inline constexpr ub4 OCI_HTYPE_SERVER = 8;
inline constexpr ub4 OCI_HTYPE_SESSION = 9;

// Descriptor types.
inline constexpr ub4 OCI_DTYPE_LOB = 50;
inline constexpr ub4 OCI_DTYPE_PARAM = 53;

// Attributes.
inline constexpr ub4 OCI_ATTR_DATA_SIZE = 1;     // ub2, of a column
inline constexpr ub4 OCI_ATTR_DATA_TYPE = 2;     // ub2, of a column (SQLT_*)
inline constexpr ub4 OCI_ATTR_NAME = 4;          // text, of a column
inline constexpr ub4 OCI_ATTR_SERVER = 6;        // of a service context
inline constexpr ub4 OCI_ATTR_SESSION = 7;       // of a service context
inline constexpr ub4 OCI_ATTR_PARAM_COUNT = 18;  // ub4, of an executed statement
inline constexpr ub4 OCI_ATTR_USERNAME = 22;
inline constexpr ub4 OCI_ATTR_PASSWORD = 23;
inline constexpr ub4 OCI_ATTR_STMT_TYPE = 24;      // ub2, of a prepared statement
inline constexpr ub4 OCI_ATTR_CHARSET_FORM = 32;   // ub1, of a column
inline constexpr ub4 OCI_ATTR_ROWS_FETCHED = 197;  // ub4, rows of the last fetch call

inline constexpr ub4 OCI_CRED_RDBMS = 1;
inline constexpr ub4 OCI_NTV_SYNTAX = 1;
inline constexpr ub2 OCI_FETCH_NEXT = 0x02;
inline constexpr ub2 OCI_STMT_SELECT = 1;

// Pieces of a LOB read or a dynamic fetch, and character set forms.
inline constexpr ub1 OCI_ONE_PIECE = 0;
inline constexpr ub1 OCI_FIRST_PIECE = 1;
inline constexpr ub1 OCI_NEXT_PIECE = 2;
inline constexpr ub1 OCI_LAST_PIECE = 3;
inline constexpr ub1 SQLCS_IMPLICIT = 1;
inline constexpr ub1 SQLCS_NCHAR = 2;

// Character set id of AL32UTF8.
inline constexpr ub2 kAl32Utf8 = 873;

// Column return codes of a fetch.
inline constexpr ub2 kReturnCodeTruncated = 1406;

// Data types (internal as described, and external as defined).
inline constexpr ub2 SQLT_CHR = 1;  // VARCHAR2
inline constexpr ub2 SQLT_NUM = 2;  // NUMBER
inline constexpr ub2 SQLT_INT = 3;
inline constexpr ub2 SQLT_FLT = 4;
inline constexpr ub2 SQLT_STR = 5;  // NUL-terminated text
inline constexpr ub2 SQLT_VNU = 6;
inline constexpr ub2 SQLT_LNG = 8;  // LONG
inline constexpr ub2 SQLT_RID = 11;
inline constexpr ub2 SQLT_DAT = 12;  // DATE, 7 bytes
inline constexpr ub2 SQLT_BFLOAT = 21;
inline constexpr ub2 SQLT_BDOUBLE = 22;
inline constexpr ub2 SQLT_BIN = 23;  // RAW
inline constexpr ub2 SQLT_LBI = 24;  // LONG RAW
inline constexpr ub2 SQLT_LVC = 94;  // LONG VARCHAR: 4-byte length, then the text
inline constexpr ub2 SQLT_LVB = 95;  // LONG VARRAW: 4-byte length, then the bytes
inline constexpr ub2 SQLT_AFC = 96;  // CHAR
inline constexpr ub2 SQLT_AVC = 97;
inline constexpr ub2 SQLT_IBFLOAT = 100;
inline constexpr ub2 SQLT_IBDOUBLE = 101;
inline constexpr ub2 SQLT_RDD = 104;  // ROWID
inline constexpr ub2 SQLT_NTY = 108;  // object types
inline constexpr ub2 SQLT_CLOB = 112;
inline constexpr ub2 SQLT_BLOB = 113;
inline constexpr ub2 SQLT_BFILE = 114;
inline constexpr ub2 SQLT_TIMESTAMP = 187;
inline constexpr ub2 SQLT_TIMESTAMP_TZ = 188;
inline constexpr ub2 SQLT_INTERVAL_YM = 189;
inline constexpr ub2 SQLT_INTERVAL_DS = 190;
inline constexpr ub2 SQLT_TIMESTAMP_LTZ = 232;

// The entry points, as function pointer types.
extern "C" {
using OCIEnvNlsCreateFn = sword (*)(OCIEnv** envhpp, ub4 mode, void* ctxp,
                                    void* (*malocfp)(void* ctxp, std::size_t size),
                                    void* (*ralocfp)(void* ctxp, void* memptr, std::size_t newsize),
                                    void (*mfreefp)(void* ctxp, void* memptr),
                                    std::size_t xtramemsz, void** usrmempp, ub2 charset,
                                    ub2 ncharset);
using OCIHandleAllocFn = sword (*)(const void* parenth, void** hndlpp, ub4 type,
                                   std::size_t xtramem_sz, void** usrmempp);
using OCIHandleFreeFn = sword (*)(void* hndlp, ub4 type);
using OCIDescriptorAllocFn = sword (*)(const void* parenth, void** descpp, ub4 type,
                                       std::size_t xtramem_sz, void** usrmempp);
using OCIDescriptorFreeFn = sword (*)(void* descp, ub4 type);
using OCIAttrGetFn = sword (*)(const void* trgthndlp, ub4 trghndltyp, void* attributep, ub4* sizep,
                               ub4 attrtype, OCIError* errhp);
using OCIAttrSetFn = sword (*)(void* trgthndlp, ub4 trghndltyp, void* attributep, ub4 size,
                               ub4 attrtype, OCIError* errhp);
using OCIServerAttachFn = sword (*)(OCIServer* srvhp, OCIError* errhp, const OraText* dblink,
                                    sb4 dblink_len, ub4 mode);
using OCIServerDetachFn = sword (*)(OCIServer* srvhp, OCIError* errhp, ub4 mode);
using OCISessionBeginFn = sword (*)(OCISvcCtx* svchp, OCIError* errhp, OCISession* usrhp, ub4 credt,
                                    ub4 mode);
using OCISessionEndFn = sword (*)(OCISvcCtx* svchp, OCIError* errhp, OCISession* usrhp, ub4 mode);
using OCIStmtPrepare2Fn = sword (*)(OCISvcCtx* svchp, OCIStmt** stmthp, OCIError* errhp,
                                    const OraText* stmttext, ub4 stmt_len, const OraText* key,
                                    ub4 keylen, ub4 language, ub4 mode);
using OCIStmtReleaseFn = sword (*)(OCIStmt* stmthp, OCIError* errhp, const OraText* key, ub4 keylen,
                                   ub4 mode);
using OCIStmtExecuteFn = sword (*)(OCISvcCtx* svchp, OCIStmt* stmtp, OCIError* errhp, ub4 iters,
                                   ub4 rowoff, const OCISnapshot* snap_in, OCISnapshot* snap_out,
                                   ub4 mode);
using OCIParamGetFn = sword (*)(const void* hndlp, ub4 htype, OCIError* errhp, void** parmdpp,
                                ub4 pos);
// 32-bit lengths, for values of 64 KiB and more.
using OCIDefineByPos2Fn = sword (*)(OCIStmt* stmtp, OCIDefine** defnpp, OCIError* errhp,
                                    ub4 position, void* valuep, sb8 value_sz, ub2 dty, void* indp,
                                    ub4* rlenp, ub2* rcodep, ub4 mode);
// Asked for a buffer for each piece of a value defined with OCI_DYNAMIC_FETCH: `iter` is the
// row of the fetch, `piecep` the piece (OCI_ONE_PIECE for a value's first call, else
// OCI_NEXT_PIECE) and is answered (OCI_FIRST_PIECE or OCI_NEXT_PIECE); *alenpp holds the room
// given and, after the piece arrived, its length.
using OCICallbackDefine = sb4 (*)(void* octxp, OCIDefine* defnp, ub4 iter, void** bufpp,
                                  ub4** alenpp, ub1* piecep, void** indpp, ub2** rcodep);
using OCIDefineDynamicFn = sword (*)(OCIDefine* defnp, OCIError* errhp, void* octxp,
                                     OCICallbackDefine ocbfp);
using OCIStmtFetch2Fn = sword (*)(OCIStmt* stmthp, OCIError* errhp, ub4 nrows, ub2 orientation,
                                  sb4 fetchOffset, ub4 mode);
using OCIErrorGetFn = sword (*)(void* hndlp, ub4 recordno, OraText* sqlstate, sb4* errcodep,
                                OraText* bufp, ub4 bufsiz, ub4 type);
using OCICallbackLobRead2 = sb4 (*)(void* ctxp, const void* bufp, oraub8 lenp, ub1 piecep,
                                    void** changed_bufpp, oraub8* changed_lenp);
using OCILobRead2Fn = sword (*)(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp,
                                oraub8* byte_amtp, oraub8* char_amtp, oraub8 offset, void* bufp,
                                oraub8 bufl, ub1 piece, void* ctxp, OCICallbackLobRead2 cbfp,
                                ub2 csid, ub1 csfrm);
}

}  // namespace skerrow::oci
