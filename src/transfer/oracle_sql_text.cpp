#include "transfer/oracle_sql_text.h"

#include "text/ascii.h"

namespace skerrow {

std::string OracleTextLiteral(std::string_view text) {
  return text::QuoteDoubling(text, '\'');
}

std::string OracleQuotedName(std::string_view name) {
  return text::QuoteDoubling(name, '"');
}

}  // namespace skerrow
