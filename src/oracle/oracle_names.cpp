#include "oracle/oracle_names.h"

#include <cstdio>

#include "text/ascii.h"

namespace skerrow::oracle {

std::string QuoteOracleName(std::string_view name) {
  return text::QuoteDoubling(name, '"');
}
std::string QuoteOracleText(std::string_view value) {
  return text::QuoteDoubling(value, '\'');
}

std::string StoredNameOf(std::string_view written) {
  if (written.size() >= 2 && written.front() == '"' && written.back() == '"') {
    std::string name;
    const auto inner = written.substr(1, written.size() - 2);
    for (std::size_t i = 0; i < inner.size(); ++i) {
      name += inner[i];
      if (inner[i] == '"' && i + 1 < inner.size() && inner[i + 1] == '"') ++i;
    }
    return name;
  }
  return text::ToUpperAscii(written);
}

std::string SystemConstraintName(long number) {
  char name[32];
  std::snprintf(name, sizeof name, "SYS_C%07ld", number);
  return name;
}

std::string QualifiedColumnName(std::string_view owner, std::string_view table,
                                std::string_view column) {
  return QuoteOracleName(owner) + "." + QuoteOracleName(table) + "." + QuoteOracleName(column);
}

}  // namespace skerrow::oracle
