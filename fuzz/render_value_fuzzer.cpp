// Value rendering for the MySQL statements: every kind of source value, any content. What is
// rendered must read back, as MySQL reads a literal, as exactly the value (nothing lost, nothing
// changed), and an unquoted number must be nothing but a number.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "db/source_error.h"
#include "db/target_connection.h"
#include "db/variant.h"
#include "fuzz_support.h"
#include "text/hex.h"
#include "transfer/render_value.h"

namespace {

using skerrow::Variant;
using skerrow::VariantKind;
using skerrow::fuzz::Check;

// The value of a single-quoted MySQL string literal that must span all of `sql`, read as the
// server reads it without NO_BACKSLASH_ESCAPES; nullopt when `sql` is not exactly one literal.
std::optional<std::string> ReadMySqlLiteral(std::string_view sql) {
  if (sql.size() < 2 || sql.front() != '\'') return std::nullopt;
  std::string value;
  std::size_t i = 1;
  while (i < sql.size()) {
    const char c = sql[i];
    if (c == '\\') {
      if (i + 1 >= sql.size()) return std::nullopt;
      const char next = sql[i + 1];
      switch (next) {
        case '0':
          value += '\0';
          break;
        case 'b':
          value += '\b';
          break;
        case 'n':
          value += '\n';
          break;
        case 'r':
          value += '\r';
          break;
        case 't':
          value += '\t';
          break;
        case 'Z':
          value += '\x1a';
          break;
        case '%':
        case '_':
          value += '\\';
          value += next;
          break;
        default:
          value += next;
          break;
      }
      i += 2;
    } else if (c == '\'') {
      if (i + 1 < sql.size() && sql[i + 1] == '\'') {
        value += '\'';
        i += 2;
      } else {
        return i + 1 == sql.size() ? std::optional<std::string>(value) : std::nullopt;
      }
    } else {
      value += c;
      ++i;
    }
  }
  return std::nullopt;  // never closed
}

bool IsPlainNumber(std::string_view text) {
  std::size_t i = text.empty() || text.front() != '-' ? 0 : 1;
  const std::size_t start = i;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  if (i == start) return false;
  if (i == text.size()) return true;
  if (text[i++] != '.') return false;
  const std::size_t fraction = i;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  return i > fraction && i == text.size();
}

Variant MakeValue(skerrow::fuzz::InputReader& input) {
  switch (input.Byte() % 7) {
    case 0:
      return Variant();
    case 1:
      return Variant::Null();
    case 2:
      return Variant::FromDouble(input.Raw<double>());
    case 3: {
      skerrow::SourceDate date;
      date.year = input.Raw<std::int16_t>();
      date.month = input.Raw<std::int8_t>();
      date.day = input.Raw<std::int8_t>();
      date.hour = input.Raw<std::int8_t>();
      date.minute = input.Raw<std::int8_t>();
      date.second = input.Raw<std::int8_t>();
      return Variant::FromDate(date);
    }
    case 4:
      return Variant::FromText(std::string(input.Rest()));
    case 5:
      // Any text: the source hands over canonical decimals, but rendering must not trust it.
      return Variant::FromDecimal(std::string(input.Rest()));
    default:
      return Variant::FromBytes(std::string(input.Rest()));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  skerrow::fuzz::InputReader input(data, size);
  const Variant value = MakeValue(input);
  // Without a server the client library escapes as it does for a connection: every byte that
  // could end or bend the literal gets its backslash.
  skerrow::TargetConnection unconnected;
  const skerrow::SqlEscaper escape = [&](std::string_view text) {
    return unconnected.EscapeString(text);
  };
  std::string sql;
  try {
    sql = skerrow::RenderValue(value, "VARCHAR", escape);
  } catch (const skerrow::SourceError&) {
    // Refused, with a reason, for a "decimal" that is not a number; nothing else may be.
    Check(value.Kind() == VariantKind::Decimal && !skerrow::MakeDecimal(value.Data()),
          "only a decimal that is not a number is refused");
    return 0;
  }
  switch (value.Kind()) {
    case VariantKind::Empty:
    case VariantKind::Null:
      Check(sql == "null", "a null renders as null", sql);
      break;
    case VariantKind::Decimal:
      Check(IsPlainNumber(sql), "an unquoted decimal is a plain number", sql);
      Check(skerrow::MakeDecimal(value.Data()) == sql, "a decimal keeps its value", sql);
      break;
    case VariantKind::Text:
    case VariantKind::ByteArray: {
      if (value.Data().empty()) {
        Check(sql == "null", "empty text renders as null", sql);
        break;
      }
      const auto literal = ReadMySqlLiteral(sql);
      Check(literal.has_value(), "text renders as exactly one literal", sql);
      const bool asText = value.Kind() == VariantKind::Text || skerrow::IsUtf8Text(value.Data());
      Check(*literal == (asText ? value.Data() : skerrow::text::HexOfBytes(value.Data())),
            "a literal reads back as the value", sql);
      break;
    }
    default:
      Check(ReadMySqlLiteral(sql).has_value(), "dates and doubles render as one literal", sql);
      break;
  }
  return 0;
}
