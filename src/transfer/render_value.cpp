#include "transfer/render_value.h"

#include <cmath>
#include <cstdio>

#include "db/source_error.h"
#include "text/hex.h"
#include "text/utf8.h"
#include "transfer/number_literals.h"

namespace skerrow {

namespace {

std::string Quoted(std::string_view text, const SqlEscaper& escape) {
  return "'" + escape(text) + "'";
}

std::string DoubleText(double value) {
  char buffer[400];  // "%f" of the largest double has 309 integer digits
  std::snprintf(buffer, sizeof buffer, "%f", value);
  return buffer;
}

// The text of a value as a binary-float column's row query delivers it.
std::optional<std::string> BinaryNumberText(const Variant& value) {
  if (value.Kind() == VariantKind::Text || value.Kind() == VariantKind::ByteArray)
    return value.Data();
  return std::nullopt;
}

RenderedValue RenderBinaryNumber(const Variant& value, bool singlePrecision,
                                 const SqlEscaper& escape) {
  double number = 0;
  if (value.Kind() == VariantKind::Double) {
    number = value.AsDouble();
  } else if (auto text = BinaryNumberText(value)) {
    const std::optional<double> parsed = ParseBinaryNumberText(*text, singlePrecision);
    if (!parsed) return {"null", std::nullopt, "its value \"" + *text + "\" is not a number"};
    number = *parsed;
  } else {
    return {RenderValue(value, "", escape), std::nullopt, std::nullopt};
  }
  if (std::isnan(number))
    return {"null", std::nullopt, "its value is NaN, which MySQL cannot store"};
  if (std::isinf(number))
    return {"null", std::nullopt,
            std::string("its value is ") + (number < 0 ? "-Inf" : "Inf") +
                ", which MySQL cannot store"};
  // A single-precision value is exactly a double: its shortest double text is stored back
  // into the float column bit for bit (the float's own shortest text can read as a double
  // beyond the float's range).
  return {ShortestDoubleText(number), std::nullopt, std::nullopt};
}

}  // namespace

std::string RenderDecimal(const std::string& exact) {
  // The text goes into the statement unquoted: only a real number may pass.
  std::optional<std::string> canonical = MakeDecimal(exact);
  if (!canonical)
    throw SourceError(std::string("Skerrow"), kCodeInvalidArgument,
                      "The value \"" + exact + "\" of a NUMBER column is not a number.");
  return DecimalLiteral(*canonical);
}

RenderedValue RenderColumnValue(const Variant& value, ValueForm form, std::string_view columnType,
                                const SqlEscaper& escape) {
  switch (form) {
    case ValueForm::ApproximateNumber:
      if (value.Kind() == VariantKind::Decimal) {
        RenderedValue rendered{RenderDecimal(value.Data()), std::nullopt, std::nullopt};
        if (auto canonical = MakeDecimal(value.Data()))
          rendered.storedAs = DoubleStoredText(*canonical);
        return rendered;
      }
      break;
    case ValueForm::BinaryFloat:
    case ValueForm::BinaryDouble:
      return RenderBinaryNumber(value, form == ValueForm::BinaryFloat, escape);
    case ValueForm::Binary:
      // A hex literal is binary whatever the connection's character set.
      if (value.Kind() == VariantKind::ByteArray || value.Kind() == VariantKind::Text)
        return {"X'" + text::HexOfBytes(value.Data()) + "'", std::nullopt, std::nullopt};
      break;
    case ValueForm::LobText:
      if (value.Kind() == VariantKind::Text && value.Data().empty())
        return {"''", std::nullopt, std::nullopt};
      break;
    case ValueForm::Default:
      break;
  }
  return {RenderValue(value, columnType, escape), std::nullopt, std::nullopt};
}

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
