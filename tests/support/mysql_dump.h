#pragma once

#include <chrono>
#include <string>

#include "support/mysql_sandbox.h"

namespace skerrow::test {

// Everything a MySQL database holds, as text that is equal exactly when the contents are: the
// database's character set and collation, then per table (by name) its SHOW CREATE TABLE text
// and every row, one line each, sorted. A value is NULL, 'text' (quotes doubled) when it is
// UTF-8 without control characters, and X'hex' otherwise. A value that begins with a date and
// time within a day of `loadedAt` shows as NOW: the SYSDATE of the source's script, which
// differs from run to run. A failed query shows as a line saying so.
std::string CanonicalDump(MySqlProbe& probe, const std::string& database,
                          std::chrono::system_clock::time_point loadedAt);

}  // namespace skerrow::test
