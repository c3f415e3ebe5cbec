#include <cstdlib>
#include <cstring>

#include "double_handles.h"
#include "oci/oci_values.h"
#include "oracle/stored_value.h"
#include "text/hex.h"

namespace skerrow::ocidouble {

namespace {

constexpr ub2 kReturnCodeNull = 1405;

// A value as Oracle's conversion to text gives it in the session the provider sets up.
std::string TextOf(const Variant& value) {
  switch (value.Kind()) {
    case VariantKind::Decimal:
      return oracle::OracleNumberText(value.Data());
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

}  // namespace

bool StoreValue(const Variant& value, const ColumnInfo& column, DefineHandle& define,
                std::size_t row, bool& truncated, std::string& message) {
  unsigned char* slot = define.value + static_cast<std::size_t>(define.size) * row;
  const auto capacity = static_cast<std::size_t>(define.size);
  define.indicators[row] = 0;
  define.returnCodes[row] = 0;
  define.lengths[row] = 0;
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
      const std::size_t copied = CopyCut(TextOf(value), slot, capacity - 1, define, row, truncated);
      slot[copied] = 0;
      define.lengths[row] = static_cast<ub2>(copied);
      return true;
    }
    case SQLT_CHR:
    case SQLT_AFC:
      define.lengths[row] =
          static_cast<ub2>(CopyCut(TextOf(value), slot, capacity, define, row, truncated));
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
      define.lengths[row] = sizeof number;
      return true;
    }
    case SQLT_DAT:
      if (value.Kind() != VariantKind::Date) return inconsistent("DATE");
      oci::EncodeOracleDate(value.AsDate(), slot);
      define.lengths[row] = oci::kOracleDateSize;
      return true;
    case SQLT_BIN:
      if (value.Kind() != VariantKind::ByteArray) return inconsistent("BINARY");
      define.lengths[row] =
          static_cast<ub2>(CopyCut(value.Data(), slot, capacity, define, row, truncated));
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
      lob->readOffset = 0;
      return true;
    }
    default:
      message = "ORA-03115: unsupported network datatype or representation";
      return false;
  }
}

}  // namespace skerrow::ocidouble
