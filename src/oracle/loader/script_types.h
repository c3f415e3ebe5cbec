#pragma once

#include <set>
#include <string>

#include "oracle/script_target.h"
#include "oracle/sql_cursor.h"

namespace skerrow::oracle {

// Reads a column's data type at the cursor (NUMBER(10,2), VARCHAR2(20 CHAR),
// TIMESTAMP(3) WITH TIME ZONE, SYS.XMLTYPE, a user-defined type name, ...) and fills the
// dictionary fields of `column` (dataType, typeOwner, dataLength, dataPrecision, dataScale,
// charLength, charUsed) the way Oracle's USER_TAB_COLUMNS shows them for an AL32UTF8 database
// with an AL16UTF16 national character set. `currentSchema` owns unqualified object types;
// an object type must be in `objectTypes` (the types created so far) or be one Oracle supplies,
// else it is ORA-00902. Lengths, precisions and scales beyond Oracle's limits are refused with
// Oracle's error (ORA-00910, ORA-01723, ORA-01727, ORA-01728, ORA-30088, ...).
void ReadDataType(TokenCursor& cursor, const std::string& currentSchema,
                  const std::set<std::string>& objectTypes, ColumnDefinition& column);

}  // namespace skerrow::oracle
