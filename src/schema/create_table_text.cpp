#include "schema/create_table_text.h"

#include <algorithm>

#include "db/target_connection.h"

namespace skerrow {

std::string CreateTableHead(const std::string& database, const std::string& table) {
  return "Create table " + QuoteMySqlIdentifier(database) + "." + QuoteMySqlIdentifier(table) + "(";
}

std::string KeyClause(const std::vector<std::string>& keyColumnNames,
                      const TableDefinition& definition) {
  std::string references;
  const std::string* previous = nullptr;
  for (const auto& name : keyColumnNames) {
    if (previous != nullptr && name == *previous) continue;
    previous = &name;
    // Only columns of this table: the key query also sees same-named tables of other owners.
    const auto column =
        std::find_if(definition.columns.begin(), definition.columns.end(),
                     [&](const ColumnDefinitionParts& c) { return c.name == name; });
    if (column == definition.columns.end()) continue;
    if (!references.empty()) references += ',';
    references += QuoteMySqlIdentifier(name);
    // MyISAM keys hold at most 1000 bytes; a utf8mb4 character may take 4, so a prefix of 500
    // characters is always refused. 250 characters of the hex text still key 125 bytes.
    if (column->keyPrefix) references += "(250)";
  }
  if (references.empty()) return {};
  return ",PRIMARY KEY(" + references + ")";
}

std::string CreateTableStatement(const std::string& head, const std::string& definitions,
                                 const std::string& keyClause) {
  return head + definitions + keyClause + ")ENGINE=MyISAM";
}

}  // namespace skerrow
