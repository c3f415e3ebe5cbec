#pragma once

#include <functional>
#include <string>
#include <string_view>

#include <optional>

#include "db/variant.h"
#include "transfer/value_form.h"

namespace skerrow {

// Turns text into the body of a single-quoted SQL string literal for the target connection
// (TargetConnection::EscapeString in the real copy).
using SqlEscaper = std::function<std::string(std::string_view)>;

// The SQL text that stands for `value` in a VALUES list: "null" for a null or empty value, an
// exact decimal unquoted (in exponent form beyond what MySQL reads as a DECIMAL), everything else
// as an escaped string literal. Text keeps every character; a byte array that is UTF-8 text arrives
// as that text, other bytes as upper-case hexadecimal digits. `columnType` is the column's entry of
// TextColumnTypes; no rendering depends on it any more, callers still hand it over so the rule
// stays per column. Raises SourceError for a decimal that is not a number.
std::string RenderValue(const Variant& value, std::string_view columnType,
                        const SqlEscaper& escape);

// What the conversion gives the server for one value, before it becomes SQL text: the copy
// writes it as a literal, the verification predicts from it what the column holds.
struct WrittenValue {
  enum class Kind {
    Null,
    Number,  // `data` is an unquoted numeric literal
    Text,    // `data` is the string's bytes
    Bytes,   // `data` is binary, written as a hex literal
  };
  Kind kind = Kind::Null;
  std::string data;
  // What a DOUBLE column keeps instead of the source value, when it cannot hold it exactly.
  std::optional<std::string> storedAs;
  // Why the value cannot be written at all: its row is refused.
  std::optional<std::string> refusal;
};

// The value RenderColumnValue writes. Raises SourceError as RenderValue does.
WrittenValue WriteColumnValue(const Variant& value, ValueForm form);

// The SQL text of a written value: null, the number, an escaped string literal, X'hex'.
std::string SqlLiteral(const WrittenValue& value, const SqlEscaper& escape);

// A value rendered for a column of a given form.
struct RenderedValue {
  std::string text;
  // What the column keeps instead of the source value, when it cannot hold it exactly.
  std::optional<std::string> storedAs;
  // Why the value cannot be written at all (an infinity, which MySQL cannot store): the row
  // is refused instead of arriving with something else.
  std::optional<std::string> refusal;
};

// RenderValue for a column whose values take `form`. Raises SourceError as RenderValue does.
RenderedValue RenderColumnValue(const Variant& value, ValueForm form, std::string_view columnType,
                                const SqlEscaper& escape);

// The decimal's text for the statement: exact, unquoted, in exponent form where MySQL would
// not read the long form exactly. Raises SourceError for a text that is not a number.
std::string RenderDecimal(const std::string& exact);

// True when `bytes` is well-formed UTF-8 without a zero byte: content that a text column holds
// as the same text. A zero byte marks binary content.
bool IsUtf8Text(std::string_view bytes);

}  // namespace skerrow
