#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "db/variant.h"

namespace skerrow {

// Turns text into the body of a single-quoted SQL string literal for the target connection
// (TargetConnection::EscapeString in the real copy).
using SqlEscaper = std::function<std::string(std::string_view)>;

// The SQL text that stands for `value` in a VALUES list: "null" for a null or empty value, an
// exact decimal unquoted, everything else as an escaped string literal. Text keeps every
// character; a byte array that is UTF-8 text arrives as that text, other bytes as upper-case
// hexadecimal digits. `columnType` is the column's entry of TextColumnTypes; no rendering
// depends on it any more, callers still hand it over so the rule stays per column.
// Raises SourceError for a decimal that is not a number.
std::string RenderValue(const Variant& value, std::string_view columnType,
                        const SqlEscaper& escape);

// True when `bytes` is well-formed UTF-8 without a zero byte: content that a text column holds
// as the same text. A zero byte marks binary content.
bool IsUtf8Text(std::string_view bytes);

}  // namespace skerrow
