#include "transfer/render_value.h"

#include <cmath>
#include <cstdio>
#include <utility>

#include "db/source_error.h"
#include "text/hex.h"
#include "text/utf8.h"
#include "transfer/number_literals.h"

namespace skerrow {

namespace {

using Kind = WrittenValue::Kind;

WrittenValue Written(Kind kind, std::string data) {
  return {kind, std::move(data), std::nullopt, std::nullopt};
}

WrittenValue Refused(std::string why) {
  return {Kind::Null, {}, std::nullopt, std::move(why)};
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

// Every kind as the column-independent rules write it.
WrittenValue WriteDefault(const Variant& value) {
  switch (value.Kind()) {
    case VariantKind::Null:
    case VariantKind::Empty:
      return {};
    case VariantKind::Decimal:
      return Written(Kind::Number, RenderDecimal(value.Data()));
    case VariantKind::Double:
      return Written(Kind::Text, DoubleText(value.AsDouble()));
    case VariantKind::Date:
      // An unsplittable date goes out as this text so the server refuses the row and says why,
      // instead of the row arriving with a made-up date.
      return Written(Kind::Text,
                     value.AsDate().IsValid() ? value.AsDate().ToString() : "Invalid DateTime");
    case VariantKind::Text:
      if (value.Data().empty()) return {};
      return Written(Kind::Text, value.Data());
    case VariantKind::ByteArray:
      if (value.Data().empty()) return {};
      return Written(Kind::Text,
                     IsUtf8Text(value.Data()) ? value.Data() : text::HexOfBytes(value.Data()));
  }
  throw SourceError(std::string("Skerrow"), kCodeInvalidArgument,
                    "A value of an unknown kind cannot be converted.");
}

WrittenValue WriteBinaryNumber(const Variant& value, bool singlePrecision) {
  double number = 0;
  if (value.Kind() == VariantKind::Double) {
    number = value.AsDouble();
  } else if (auto text = BinaryNumberText(value)) {
    const std::optional<double> parsed = ParseBinaryNumberText(*text, singlePrecision);
    if (!parsed) return Refused("its value \"" + *text + "\" is not a number");
    number = *parsed;
  } else {
    return WriteDefault(value);
  }
  if (std::isnan(number)) return Refused("its value is NaN, which MySQL cannot store");
  if (std::isinf(number))
    return Refused(std::string("its value is ") + (number < 0 ? "-Inf" : "Inf") +
                   ", which MySQL cannot store");
  // A single-precision value is exactly a double: its shortest double text is stored back
  // into the float column bit for bit (the float's own shortest text can read as a double
  // beyond the float's range).
  return Written(Kind::Number, ShortestDoubleText(number));
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

WrittenValue WriteColumnValue(const Variant& value, ValueForm form) {
  switch (form) {
    case ValueForm::ApproximateNumber:
      if (value.Kind() == VariantKind::Decimal) {
        WrittenValue written = Written(Kind::Number, RenderDecimal(value.Data()));
        if (auto canonical = MakeDecimal(value.Data()))
          written.storedAs = DoubleStoredText(*canonical);
        return written;
      }
      break;
    case ValueForm::BinaryFloat:
    case ValueForm::BinaryDouble:
      return WriteBinaryNumber(value, form == ValueForm::BinaryFloat);
    case ValueForm::Binary:
      if (value.Kind() == VariantKind::ByteArray || value.Kind() == VariantKind::Text)
        return Written(Kind::Bytes, value.Data());
      break;
    case ValueForm::LobText:
      if (value.Kind() == VariantKind::Text && value.Data().empty())
        return Written(Kind::Text, std::string());
      break;
    case ValueForm::Default:
      break;
  }
  return WriteDefault(value);
}

std::string SqlLiteral(const WrittenValue& value, const SqlEscaper& escape) {
  switch (value.kind) {
    case Kind::Null:
      return "null";
    case Kind::Number:
      return value.data;
    case Kind::Text:
      return "'" + escape(value.data) + "'";
    case Kind::Bytes:
      // A hex literal is binary whatever the connection's character set.
      return "X'" + text::HexOfBytes(value.data) + "'";
  }
  return "null";
}

RenderedValue RenderColumnValue(const Variant& value, ValueForm form, std::string_view,
                                const SqlEscaper& escape) {
  WrittenValue written = WriteColumnValue(value, form);
  return {SqlLiteral(written, escape), std::move(written.storedAs), std::move(written.refusal)};
}

bool IsUtf8Text(std::string_view bytes) {
  return bytes.find('\0') == std::string_view::npos && text::IsValidUtf8(bytes);
}

std::string RenderValue(const Variant& value, std::string_view /*columnType*/,
                        const SqlEscaper& escape) {
  return SqlLiteral(WriteDefault(value), escape);
}

}  // namespace skerrow
