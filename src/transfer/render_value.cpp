#include "transfer/render_value.h"

#include <cstdio>

#include "db/source_error.h"
#include "text/hex.h"
#include "text/utf8.h"

namespace skerrow {

namespace {

std::string Quoted(std::string_view text, const SqlEscaper& escape) {
  return "'" + escape(text) + "'";
}

std::string RenderDecimal(const std::string& exact) {
  // The text goes into the statement unquoted: only a real number may pass.
  std::optional<std::string> canonical = MakeDecimal(exact);
  if (!canonical)
    throw SourceError(std::string("Skerrow"), kCodeInvalidArgument,
                      "The value \"" + exact + "\" of a NUMBER column is not a number.");
  return *canonical;
}

std::string DoubleText(double value) {
  char buffer[400];  // "%f" of the largest double has 309 integer digits
  std::snprintf(buffer, sizeof buffer, "%f", value);
  return buffer;
}

}  // namespace

bool IsUtf8Text(std::string_view bytes) {
  return bytes.find('\0') == std::string_view::npos && text::IsValidUtf8(bytes);
}

std::string RenderValue(const Variant& value, std::string_view /*columnType*/,
                        const SqlEscaper& escape) {
  switch (value.Kind()) {
    case VariantKind::Null:
    case VariantKind::Empty:
      return "null";
    case VariantKind::Decimal:
      return RenderDecimal(value.Data());
    case VariantKind::Double:
      return Quoted(DoubleText(value.AsDouble()), escape);
    case VariantKind::Date:
      // An unsplittable date goes out as this text so the server refuses the row and says why,
      // instead of the row arriving with a made-up date.
      return Quoted(value.AsDate().IsValid() ? value.AsDate().ToString() : "Invalid DateTime",
                    escape);
    case VariantKind::Text:
      if (value.Data().empty()) return "null";
      return Quoted(value.Data(), escape);
    case VariantKind::ByteArray:
      if (value.Data().empty()) return "null";
      return Quoted(IsUtf8Text(value.Data()) ? value.Data() : text::HexOfBytes(value.Data()),
                    escape);
  }
  throw SourceError(std::string("Skerrow"), kCodeInvalidArgument,
                    "A value of an unknown kind cannot be converted.");
}

}  // namespace skerrow
