#pragma once

#include "oracle/script_target.h"
#include "oracle/sql_cursor.h"

namespace skerrow::oracle {

// The options of CREATE SEQUENCE, or of an identity column inside its parentheses: START WITH,
// INCREMENT BY, MAXVALUE/NOMAXVALUE, MINVALUE/NOMINVALUE, CYCLE/NOCYCLE, CACHE n/NOCACHE,
// ORDER/NOORDER, KEEP/NOKEEP, SCALE/NOSCALE, SESSION/GLOBAL. Reads up to the end of the
// statement, or to the ")" when `until` is InParentheses, or to the first word that is not an
// option (an identity column's options as the dictionary writes them, without parentheses).
enum class OptionsEnd { Statement, InParentheses, OtherWord };
SequenceOptions ReadSequenceOptions(TokenCursor& cursor, OptionsEnd until);

}  // namespace skerrow::oracle
