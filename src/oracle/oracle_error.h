#pragma once

#include <string>

#include "db/source_error.h"

namespace skerrow::oracle {

// The component name every error of the stand-in carries.
inline constexpr const char* kEmbeddedSourceName = "Skerrow Embedded Oracle";

// A database error of the stand-in: code 0x80004005 ("Unspecified error") with Oracle's message
// as the description, the way the Oracle provider reports ORA- errors.
SourceError OracleError(const std::string& description);

// Oracle's message for what SQLite reported about a dictionary query ("no such table: X" is
// ORA-00942, "no such column: X" ORA-00904, a syntax error ORA-00933, ...).
std::string OracleMessageForSqlite(const std::string& sqliteMessage);

}  // namespace skerrow::oracle
