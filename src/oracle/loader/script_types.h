#pragma once

#include <string>

#include "oracle/script_target.h"
#include "oracle/sql_cursor.h"

namespace skerrow::oracle {

// Reads a column's data type at the cursor (NUMBER(10,2), VARCHAR2(20 CHAR),
// TIMESTAMP(3) WITH TIME ZONE, SYS.XMLTYPE, a user-defined type name, ...) and fills the
// dictionary fields of `column` (dataType, typeOwner, dataLength, dataPrecision, dataScale,
// charLength, charUsed) the way Oracle's USER_TAB_COLUMNS shows them for an AL32UTF8 database
// with an AL16UTF16 national character set. `currentSchema` owns unqualified object types.
void ReadDataType(TokenCursor& cursor, const std::string& currentSchema, ColumnDefinition& column);

}  // namespace skerrow::oracle
