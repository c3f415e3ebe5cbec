#pragma once

#include "oracle/script_target.h"
#include "oracle/sql_cursor.h"

namespace skerrow::oracle {

// The options of CREATE SEQUENCE, or of an identity column inside its parentheses: START WITH,
// INCREMENT BY, MAXVALUE/NOMAXVALUE, MINVALUE/NOMINVALUE, CYCLE/NOCYCLE, CACHE n/NOCACHE,
// ORDER/NOORDER, KEEP/NOKEEP, SCALE/NOSCALE, SESSION/GLOBAL. Reads up to the end of the
// statement, or to the ")" when `inParentheses`.
SequenceOptions ReadSequenceOptions(TokenCursor& cursor, bool inParentheses);

}  // namespace skerrow::oracle
