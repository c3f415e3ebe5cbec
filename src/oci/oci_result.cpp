#include "oci/oci_result.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "oci/oci_error.h"
#include "oci/oci_session.h"
#include "oci/oci_values.h"

namespace skerrow::oci {

namespace {

// Fetch buffers of one array stay below this; wide rows are fetched fewer at a time.
constexpr std::size_t kArrayBudget = 32u << 20;
// Rows per fetch of a result with LONG or LONG RAW columns, whose values are held whole.
constexpr ub4 kRowsPerLongFetch = 32;
// Oracle writes a NUMBER as text in at most 64 characters besides the sign (longer ones in
// scientific notation); the buffer holds twice that, with the terminating NUL.
constexpr sb4 kNumberTextSize = 130;
// Text of timestamps, intervals and row ids in the session's formats.
constexpr sb4 kOtherTextSize = 4001;
constexpr oraub8 kLobPieceSize = 64 * 1024;

bool IsCharacterType(ub2 type) {
  return type == SQLT_CHR || type == SQLT_AFC || type == SQLT_AVC || type == SQLT_STR ||
         type == 9 /* VARCHAR */;
}

bool IsNumberType(ub2 type) {
  return type == SQLT_NUM || type == SQLT_INT || type == SQLT_FLT || type == SQLT_VNU;
}

}  // namespace

OciResult::OciResult(const OciContext& context, const std::string& sql) : context_(context) {
  const OciFunctions& f = *context_.functions;
  CheckOci(context_,
           f.StmtPrepare2(context_.service, &statement_, context_.error,
                          reinterpret_cast<const OraText*>(sql.data()),
                          static_cast<ub4>(sql.size()), nullptr, 0, OCI_NTV_SYNTAX, OCI_DEFAULT),
           "OCIStmtPrepare2");
  try {
    ub2 type = 0;
    CheckOci(
        context_,
        f.AttrGet(statement_, OCI_HTYPE_STMT, &type, nullptr, OCI_ATTR_STMT_TYPE, context_.error),
        "OCIAttrGet(OCI_ATTR_STMT_TYPE)");
    query_ = type == OCI_STMT_SELECT;
    // A query is only executed here; its rows come with the fetches.
    CheckOci(context_,
             f.StmtExecute(context_.service, statement_, context_.error, query_ ? 0 : 1, 0, nullptr,
                           nullptr, OCI_DEFAULT),
             "OCIStmtExecute");
    if (query_) {
      Describe();
      Define();
    } else {
      exhausted_ = true;
    }
  } catch (...) {
    Release();
    throw;
  }
}

OciResult::~OciResult() {
  Release();
}

void OciResult::Release() {
  const OciFunctions& f = *context_.functions;
  for (auto& column : columns_)
    for (auto*& locator : column.locators)
      if (locator) {
        f.DescriptorFree(locator, OCI_DTYPE_LOB);
        locator = nullptr;
      }
  columns_.clear();
  if (statement_) f.StmtRelease(statement_, context_.error, nullptr, 0, OCI_DEFAULT);
  statement_ = nullptr;
}

void OciResult::Describe() {
  const OciFunctions& f = *context_.functions;
  ub4 count = 0;
  CheckOci(
      context_,
      f.AttrGet(statement_, OCI_HTYPE_STMT, &count, nullptr, OCI_ATTR_PARAM_COUNT, context_.error),
      "OCIAttrGet(OCI_ATTR_PARAM_COUNT)");
  columns_.resize(count);
  for (ub4 position = 1; position <= count; ++position) {
    void* parameter = nullptr;
    CheckOci(context_, f.ParamGet(statement_, OCI_HTYPE_STMT, context_.error, &parameter, position),
             "OCIParamGet");
    Column& column = columns_[position - 1];
    ub2 size = 0;
    const sword typeStatus = f.AttrGet(parameter, OCI_DTYPE_PARAM, &column.describedType, nullptr,
                                       OCI_ATTR_DATA_TYPE, context_.error);
    const sword sizeStatus =
        f.AttrGet(parameter, OCI_DTYPE_PARAM, &size, nullptr, OCI_ATTR_DATA_SIZE, context_.error);
    // Only character data has a form; other types leave it implicit.
    const sword formStatus = f.AttrGet(parameter, OCI_DTYPE_PARAM, &column.charsetForm, nullptr,
                                       OCI_ATTR_CHARSET_FORM, context_.error);
    if ((formStatus != OCI_SUCCESS && formStatus != OCI_SUCCESS_WITH_INFO) ||
        column.charsetForm == 0)
      column.charsetForm = SQLCS_IMPLICIT;
    f.DescriptorFree(parameter, OCI_DTYPE_PARAM);
    CheckOci(context_, typeStatus, "OCIAttrGet(OCI_ATTR_DATA_TYPE)");
    CheckOci(context_, sizeStatus, "OCIAttrGet(OCI_ATTR_DATA_SIZE)");

    const ub2 type = column.describedType;
    if (IsCharacterType(type)) {
      // A character column's bytes after conversion to UTF-8: a character may take four.
      column.definedType = SQLT_CHR;
      column.slotSize = std::max<sb4>(size, 1) * 4;
    } else if (IsNumberType(type)) {
      column.definedType = SQLT_STR;
      column.slotSize = kNumberTextSize;
      column.number = true;
    } else if (type == SQLT_IBFLOAT || type == SQLT_IBDOUBLE || type == SQLT_BFLOAT ||
               type == SQLT_BDOUBLE) {
      column.definedType = SQLT_BDOUBLE;
      column.slotSize = sizeof(double);
    } else if (type == SQLT_DAT) {
      column.definedType = SQLT_DAT;
      column.slotSize = kOracleDateSize;
    } else if (type == SQLT_BIN) {
      column.definedType = SQLT_BIN;
      column.slotSize = std::max<sb4>(size, 1);
    } else if (type == SQLT_LNG || type == SQLT_LBI) {
      column.definedType = type;
      column.slotSize = 0;
      column.pieces = std::make_unique<LongPieces>();
    } else if (type == SQLT_CLOB || type == SQLT_BLOB) {
      column.definedType = type;
      column.slotSize = sizeof(OCILobLocator*);
    } else {
      // Timestamps, intervals, row ids and whatever else Oracle can turn into text, in the
      // session's formats; Oracle refuses the types it cannot (ORA-00932).
      column.definedType = SQLT_STR;
      column.slotSize = kOtherTextSize;
    }
  }
  std::size_t rowBytes = 1;
  bool longs = false;
  for (const auto& column : columns_) {
    rowBytes += static_cast<std::size_t>(column.slotSize);
    longs = longs || column.pieces;
  }
  arrayRows_ = static_cast<ub4>(std::clamp<std::size_t>(kArrayBudget / rowBytes, 1,
                                                        longs ? kRowsPerLongFetch : kRowsPerFetch));
}

void OciResult::Define() {
  const OciFunctions& f = *context_.functions;
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    Column& column = columns_[i];
    column.buffer.assign(static_cast<std::size_t>(column.slotSize) * arrayRows_, 0);
    column.indicators.assign(arrayRows_, 0);
    column.lengths.assign(arrayRows_, 0);
    column.returnCodes.assign(arrayRows_, 0);
    if (column.definedType == SQLT_CLOB || column.definedType == SQLT_BLOB) {
      column.locators.assign(arrayRows_, nullptr);
      for (auto*& locator : column.locators)
        CheckOci(context_,
                 f.DescriptorAlloc(context_.environment, reinterpret_cast<void**>(&locator),
                                   OCI_DTYPE_LOB, 0, nullptr),
                 "OCIDescriptorAlloc(OCI_DTYPE_LOB)");
      std::memcpy(column.buffer.data(), column.locators.data(),
                  column.locators.size() * sizeof(OCILobLocator*));
    }
    OCIDefine* define = nullptr;
    if (column.pieces) {
      // Any length: no buffer here, the callback lends one piece after another.
      CheckOci(context_,
               f.DefineByPos2(statement_, &define, context_.error, static_cast<ub4>(i + 1), nullptr,
                              SB4MAXVAL, column.definedType, nullptr, nullptr, nullptr,
                              OCI_DYNAMIC_FETCH),
               "OCIDefineByPos2");
      CheckOci(context_,
               f.DefineDynamic(define, context_.error, column.pieces.get(), &LongPieces::Callback),
               "OCIDefineDynamic");
    } else {
      CheckOci(context_,
               f.DefineByPos2(statement_, &define, context_.error, static_cast<ub4>(i + 1),
                              column.buffer.data(), column.slotSize, column.definedType,
                              column.indicators.data(), column.lengths.data(),
                              column.returnCodes.data(), OCI_DEFAULT),
               "OCIDefineByPos2");
    }
    // National data (NCHAR, NVARCHAR2, NCLOB) must be asked for in the national form, or it is
    // converted through the database character set and loses what that set cannot hold.
    if (column.charsetForm == SQLCS_NCHAR) {
      ub1 form = SQLCS_NCHAR;
      const sword status =
          f.AttrSet(define, OCI_HTYPE_DEFINE, &form, 0, OCI_ATTR_CHARSET_FORM, context_.error);
      // An NCLOB's text comes with its reads, which name the form themselves; a client that
      // will not take the form on the locator's define loses nothing, so that is only noted.
      if (column.definedType == SQLT_CLOB && status == OCI_ERROR && context_.notices)
        context_.notices->Report(OciMessages(f, context_.error, OCI_HTYPE_ERROR));
      else
        CheckOci(context_, status, "OCIAttrSet(OCI_ATTR_CHARSET_FORM)");
    }
  }
}

bool OciResult::EndOfRows() {
  if (pending_.empty() && !exhausted_) FetchArray();
  return pending_.empty();
}

RowArray OciResult::Fetch(long maxRows) {
  RowArray rows(columns_.size());
  long taken = 0;
  while (maxRows < 0 || taken < maxRows) {
    if (pending_.empty()) {
      if (exhausted_) break;
      FetchArray();
      continue;
    }
    rows.AppendRow(std::move(pending_.front()));
    pending_.pop_front();
    ++taken;
  }
  return rows;
}

void OciResult::FetchArray() {
  const OciFunctions& f = *context_.functions;
  for (auto& column : columns_)
    if (column.pieces) column.pieces->Reset(arrayRows_);
  const sword status =
      f.StmtFetch2(statement_, context_.error, arrayRows_, OCI_FETCH_NEXT, 0, OCI_DEFAULT);
  // What failed inside a piece callback (memory) comes before the fetch's own error.
  for (const auto& column : columns_)
    if (column.pieces) column.pieces->RaiseFailure();
  if (status != OCI_SUCCESS && status != OCI_SUCCESS_WITH_INFO && status != OCI_NO_DATA)
    throw OciCallError(f, context_.error, status, "OCIStmtFetch2");
  NoteOciInfo(context_, status);
  ub4 fetched = 0;
  CheckOci(context_,
           f.AttrGet(statement_, OCI_HTYPE_STMT, &fetched, nullptr, OCI_ATTR_ROWS_FETCHED,
                     context_.error),
           "OCIAttrGet(OCI_ATTR_ROWS_FETCHED)");
  if (status == OCI_NO_DATA || fetched < arrayRows_) exhausted_ = true;
  fetched = std::min(fetched, arrayRows_);
  for (ub4 row = 0; row < fetched; ++row) {
    std::vector<Variant> values;
    values.reserve(columns_.size());
    for (std::size_t field = 0; field < columns_.size(); ++field)
      values.push_back(ReadValue(columns_[field], row, field));
    pending_.push_back(std::move(values));
  }
}

Variant OciResult::ReadValue(Column& column, std::size_t row, std::size_t field) const {
  if (column.pieces) {
    auto value = column.pieces->Take(row, field);
    if (!value) return Variant::Null();
    return column.definedType == SQLT_LNG ? Variant::FromText(std::move(*value))
                                          : Variant::FromBytes(std::move(*value));
  }
  if (column.indicators[row] == -1) return Variant::Null();
  if (column.indicators[row] != 0 || column.returnCodes[row] == kReturnCodeTruncated)
    throw OciDataError("The value of field " + std::to_string(field + 1) +
                       " is longer than this program fetches (" + std::to_string(column.slotSize) +
                       " bytes) and was not read.");
  const auto* slot = column.buffer.data() + static_cast<std::size_t>(column.slotSize) * row;
  const auto* text = reinterpret_cast<const char*>(slot);
  // Never past the slot, whatever length the client reports.
  const std::size_t length =
      std::min<std::size_t>(column.lengths[row], static_cast<std::size_t>(column.slotSize));
  switch (column.definedType) {
    case SQLT_CHR:
      return Variant::FromText(std::string(text, length));
    case SQLT_STR: {
      std::string value(text, ::strnlen(text, static_cast<std::size_t>(column.slotSize)));
      if (!column.number) return Variant::FromText(std::move(value));
      auto exact = MakeDecimal(value);
      if (!exact)
        throw OciDataError("The NUMBER value \"" + value + "\" of field " +
                           std::to_string(field + 1) + " is not a number this program reads.");
      return Variant::FromDecimal(std::move(*exact));
    }
    case SQLT_BDOUBLE: {
      double value = 0;
      std::memcpy(&value, slot, sizeof value);
      return Variant::FromDouble(value);
    }
    case SQLT_DAT: {
      auto date = DecodeOracleDate(slot);
      if (!date)
        throw OciDataError("The DATE value of field " + std::to_string(field + 1) +
                           " is not a calendar date.");
      return Variant::FromDate(*date);
    }
    case SQLT_BIN:
      return Variant::FromBytes(std::string(text, length));
    case SQLT_CLOB:
      return Variant::FromText(ReadLob(column.locators[row], column.charsetForm));
    case SQLT_BLOB:
      return Variant::FromBytes(ReadLob(column.locators[row], SQLCS_IMPLICIT));
    default:
      throw OciDataError("Field " + std::to_string(field + 1) + " has a type (" +
                         std::to_string(column.describedType) + ") this program cannot read.");
  }
}

std::string OciResult::ReadLob(OCILobLocator* locator, ub1 charsetForm) const {
  const OciFunctions& f = *context_.functions;
  std::string data;
  std::vector<unsigned char> piece(kLobPieceSize);
  // Both amounts zero with the first piece: polling mode, to the end of the LOB.
  ub1 which = OCI_FIRST_PIECE;
  for (;;) {
    oraub8 bytes = 0;
    oraub8 characters = 0;
    const sword status =
        f.LobRead2(context_.service, context_.error, locator, &bytes, &characters, 1, piece.data(),
                   piece.size(), which, nullptr, nullptr, 0, charsetForm);
    if (status == OCI_NO_DATA) break;
    if (status != OCI_SUCCESS && status != OCI_SUCCESS_WITH_INFO && status != OCI_NEED_DATA)
      throw OciCallError(f, context_.error, status, "OCILobRead2");
    data.append(reinterpret_cast<const char*>(piece.data()),
                static_cast<std::size_t>(std::min<oraub8>(bytes, piece.size())));
    // A success with information is the last piece as well.
    NoteOciInfo(context_, status);
    if (status != OCI_NEED_DATA) break;
    which = OCI_NEXT_PIECE;
  }
  return data;
}

}  // namespace skerrow::oci
