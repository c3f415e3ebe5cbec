#include "oracle/oracle_error.h"

#include "oracle/oracle_names.h"
#include "text/ascii.h"

namespace skerrow::oracle {

namespace {

bool StartsWith(const std::string& text, const char* prefix) {
  return text.rfind(prefix, 0) == 0;
}

// "cols.foo" -> "COLS"."FOO", as Oracle names an unknown reference.
std::string OracleReference(const std::string& written) {
  std::string reference;
  std::size_t start = 0;
  while (start <= written.size()) {
    const auto dot = written.find('.', start);
    const std::string part =
        written.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
    reference += (reference.empty() ? "" : ".") + QuoteOracleName(text::ToUpperAscii(part));
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
  return reference;
}

}  // namespace

SourceError OracleError(const std::string& description) {
  return SourceError(std::string(kEmbeddedSourceName), kCodeUnspecifiedError, description);
}

std::string OracleMessageForSqlite(const std::string& message) {
  if (StartsWith(message, "not authorized to use function: "))
    return "ORA-00904: " + OracleReference(message.substr(32)) + ": invalid identifier";
  if (StartsWith(message, "no such table:") || message.find("prohibited") != std::string::npos ||
      StartsWith(message, "not authorized"))
    return "ORA-00942: table or view does not exist";
  if (StartsWith(message, "no such column: "))
    return "ORA-00904: " + OracleReference(message.substr(16)) + ": invalid identifier";
  if (StartsWith(message, "no such function: "))
    return "ORA-00904: " + OracleReference(message.substr(18)) + ": invalid identifier";
  if (StartsWith(message, "ambiguous column name: "))
    return "ORA-00918: column ambiguously defined";
  if (message == "incomplete input") return "ORA-00921: unexpected end of SQL command";
  if (message.find("syntax error") != std::string::npos)
    return "ORA-00933: SQL command not properly ended";
  if (StartsWith(message, "wrong number of arguments"))
    return "ORA-00909: invalid number of arguments";
  return "ORA-00900: invalid SQL statement (" + message + ")";
}

}  // namespace skerrow::oracle
