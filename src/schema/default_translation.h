#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "transfer/render_value.h"

namespace skerrow {

// What becomes of a column's DATA_DEFAULT.
struct DefaultTranslation {
  // "DEFAULT 'text'", "DEFAULT -5", "DEFAULT 0" (for UID); empty when the column gets none.
  std::string clause;
  // Why the source's default was left out; absent when it was kept, or when there was none to
  // keep (no default, NULL, '' which Oracle reads as NULL).
  std::optional<std::string> droppedBecause{};
};

// Translates a default as Oracle keeps its text (comments, blanks and line breaks around the
// expression included): a string literal becomes the same string, escaped with `escape` (the
// connection's escaping) so that no text can change the statement; a number, with its sign
// and the brackets that only enclose it, that number; DATE '...' and TIMESTAMP '...' their
// quoted text; EMPTY_CLOB() and EMPTY_BLOB() the empty value; UID 0. Anything else (SYSDATE, USER,
// SYSTIMESTAMP, SYS_GUID(), a sequence's NEXTVAL, arithmetic, calls) is not a literal and is left
// out.
DefaultTranslation TranslateDefault(std::string_view oracleText, const SqlEscaper& escape);

}  // namespace skerrow
