#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "double_handles.h"
#include "oci/oci_values.h"
#include "oracle/stored_value.h"
#include "text/hex.h"
#include "text/utf8.h"

namespace skerrow::ocidouble {

namespace {

constexpr ub2 kReturnCodeNull = 1405;

// Oracle's text of a NUMBER (the TM9 form): fixed notation without a zero before the point,
// unless that takes more than 64 characters besides the sign; then scientific notation with
// every significant digit ("1.2345E-27").
std::string NumberText(const std::string& canonical) {
  constexpr std::size_t kMaxFixed = 64;
  std::string fixed = oracle::OracleNumberText(canonical);
  const bool negative = canonical.starts_with('-');
  if (fixed.size() - (negative ? 1 : 0) <= kMaxFixed) return fixed;
  const std::string body = canonical.substr(negative ? 1 : 0);
  const auto point = body.find('.');
  const std::string whole = body.substr(0, point);
  const std::string digits = whole + (point == std::string::npos ? "" : body.substr(point + 1));
  const auto first = digits.find_first_not_of('0');
  if (first == std::string::npos) return "0";
  std::string significant = digits.substr(first);
  significant.erase(significant.find_last_not_of('0') + 1);
  const long exponent = static_cast<long>(whole.size()) - 1 - static_cast<long>(first);
  std::string exponentText = std::to_string(exponent < 0 ? -exponent : exponent);
  if (exponentText.size() < 2) exponentText.insert(0, "0");
  return std::string(negative ? "-" : "") + significant.substr(0, 1) + "." +
         (significant.size() > 1 ? significant.substr(1) : "0") + "E" + (exponent < 0 ? "-" : "+") +
         exponentText;
}

// A value as Oracle's conversion to text gives it in the session the provider sets up.
std::string TextOf(const Variant& value) {
  switch (value.Kind()) {
    case VariantKind::Decimal:
      return NumberText(value.Data());
    case VariantKind::Date:
      return value.AsDate().ToString();
    case VariantKind::ByteArray:
      return text::HexOfBytes(value.Data());
    default:
      return value.ToText().value_or("");
  }
}

// Copies `data` into a slot of `capacity` bytes; a longer value is cut and flagged.
std::size_t CopyCut(const std::string& data, unsigned char* slot, std::size_t capacity,
                    DefineHandle& define, std::size_t row, bool& truncated) {
  std::size_t copied = data.size();
  if (copied > capacity) {
    copied = capacity;
    truncated = true;
    define.returnCodes[row] = kReturnCodeTruncated;
    define.indicators[row] = data.size() > 32767 ? -2 : static_cast<sb2>(data.size());
  }
  std::memcpy(slot, data.data(), copied);
  return copied;
}

// The text of a character column as this define receives it.
std::string CharacterText(const Variant& value, const ColumnInfo& column,
                          const DefineHandle& define) {
  std::string text = TextOf(value);
  if (column.form == SQLCS_NCHAR && define.form != SQLCS_NCHAR)
    return ThroughDatabaseCharacterSet(text);
  return text;
}

}  // namespace

std::string ThroughDatabaseCharacterSet(const std::string& text) {
  std::string converted;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = std::max<std::size_t>(text::Utf8SequenceLength(text, at), 1);
    const auto lead = static_cast<unsigned char>(text[at]);
    // One byte is ASCII; two bytes led by C2 or C3 are U+0080 to U+00FF.
    if (length == 1 && lead < 0x80)
      converted += text[at];
    else if (length == 2 && (lead == 0xC2 || lead == 0xC3))
      converted.append(text, at, 2);
    else
      converted += "\xC2\xBF";
    at += length;
  }
  return converted;
}

bool DeliverPieces(const Variant& value, DefineHandle& define, ub4 row, bool& truncated,
                   std::size_t& pieces, std::string& message) {
  if (define.type != SQLT_LNG && define.type != SQLT_LBI && define.type != SQLT_CHR &&
      define.type != SQLT_BIN) {
    message = "ORA-03115: unsupported network datatype or representation";
    return false;
  }
  const bool null = value.IsNullOrEmpty();
  const std::string data = null ? std::string()
                           : (define.type == SQLT_LBI || define.type == SQLT_BIN) &&
                                   value.Kind() == VariantKind::ByteArray
                               ? value.Data()
                               : TextOf(value);
  std::size_t sent = 0;
  for (pieces = 0;; ++pieces) {
    void* buffer = nullptr;
    ub4* length = nullptr;
    void* indicator = nullptr;
    ub2* returnCode = nullptr;
    const bool first = pieces == 0;
    ub1 piece = first ? OCI_ONE_PIECE : OCI_NEXT_PIECE;
    if (define.callback(define.callbackContext, reinterpret_cast<OCIDefine*>(&define), row, &buffer,
                        &length, &piece, &indicator, &returnCode) != OCI_CONTINUE) {
      message = "ORA-24343: user defined callback error";
      return false;
    }
    const bool answered = first ? piece == OCI_ONE_PIECE || piece == OCI_FIRST_PIECE
                                : piece == OCI_NEXT_PIECE || piece == OCI_LAST_PIECE;
    if (!answered || !length || !indicator || (!buffer && !null)) {
      message = "ORA-24344: success with compilation error";  // what OCI says of bad pieces
      return false;
    }
    auto* sb2Indicator = static_cast<sb2*>(indicator);
    if (returnCode) *returnCode = 0;
    if (null) {
      *sb2Indicator = -1;
      *length = 0;
      pieces = 1;
      return true;
    }
    const std::size_t take = std::min<std::size_t>(*length, data.size() - sent);
    std::memcpy(buffer, data.data() + sent, take);
    sent += take;
    *length = static_cast<ub4>(take);
    *sb2Indicator = 0;
    if (sent == data.size()) {
      pieces += 1;
      return true;
    }
    if (piece == OCI_ONE_PIECE || piece == OCI_LAST_PIECE) {
      truncated = true;
      if (returnCode) *returnCode = kReturnCodeTruncated;
      *sb2Indicator = data.size() > 32767 ? -2 : static_cast<sb2>(data.size());
      pieces += 1;
      return true;
    }
  }
}

bool StoreValue(const Variant& value, const ColumnInfo& column, DefineHandle& define,
                std::size_t row, bool& truncated, std::string& message) {
  unsigned char* slot = define.value + static_cast<std::size_t>(define.size) * row;
  const auto capacity = static_cast<std::size_t>(define.size);
  define.indicators[row] = 0;
  define.returnCodes[row] = 0;
  define.SetLength(row, 0);
  if (value.IsNullOrEmpty()) {
    define.indicators[row] = -1;
    define.returnCodes[row] = kReturnCodeNull;
    return true;
  }
  const auto inconsistent = [&](const char* expected) {
    message = std::string("ORA-00932: inconsistent datatypes: expected ") + expected + " got " +
              std::string(VariantKindName(value.Kind()));
    return false;
  };
  switch (define.type) {
    case SQLT_STR: {
      if (capacity == 0) return inconsistent("a buffer");
      const std::size_t copied =
          CopyCut(CharacterText(value, column, define), slot, capacity - 1, define, row, truncated);
      slot[copied] = 0;
      define.SetLength(row, copied);
      return true;
    }
    case SQLT_CHR:
    case SQLT_AFC:
      define.SetLength(row, CopyCut(CharacterText(value, column, define), slot, capacity, define,
                                    row, truncated));
      return true;
    case SQLT_BDOUBLE: {
      double number = 0;
      if (value.Kind() == VariantKind::Double)
        number = value.AsDouble();
      else if (value.Kind() == VariantKind::Decimal)
        number = std::strtod(value.Data().c_str(), nullptr);
      else
        return inconsistent("BINARY_DOUBLE");
      std::memcpy(slot, &number, sizeof number);
      define.SetLength(row, sizeof number);
      return true;
    }
    case SQLT_DAT:
      if (value.Kind() != VariantKind::Date) return inconsistent("DATE");
      oci::EncodeOracleDate(value.AsDate(), slot);
      define.SetLength(row, oci::kOracleDateSize);
      return true;
    case SQLT_BIN:
      if (value.Kind() != VariantKind::ByteArray) return inconsistent("BINARY");
      define.SetLength(row, CopyCut(value.Data(), slot, capacity, define, row, truncated));
      return true;
    case SQLT_LVC:
    case SQLT_LVB: {
      if (capacity < sizeof(sb4)) return inconsistent("a buffer");
      const std::string data = define.type == SQLT_LVB && value.Kind() == VariantKind::ByteArray
                                   ? value.Data()
                                   : TextOf(value);
      const auto copied = static_cast<sb4>(
          CopyCut(data, slot + sizeof(sb4), capacity - sizeof(sb4), define, row, truncated));
      std::memcpy(slot, &copied, sizeof copied);
      return true;
    }
    case SQLT_CLOB:
    case SQLT_BLOB: {
      if (column.type != define.type)
        return inconsistent(define.type == SQLT_CLOB ? "CLOB" : "BLOB");
      LobHandle* lob = nullptr;
      std::memcpy(&lob, slot, sizeof lob);
      if (!lob || lob->type != OCI_DTYPE_LOB) {
        message = "ORA-22275: invalid LOB locator specified";
        return false;
      }
      lob->data = value.Kind() == VariantKind::ByteArray ? value.Data() : TextOf(value);
      lob->character = define.type == SQLT_CLOB;
      lob->national = column.form == SQLCS_NCHAR;
      lob->served.clear();
      lob->readOffset = 0;
      return true;
    }
    default:
      message = "ORA-03115: unsupported network datatype or representation";
      return false;
  }
}

}  // namespace skerrow::ocidouble
