#include "schema/create_table_text.h"

#include <algorithm>

#include "db/target_connection.h"
#include "schema/column_type_mapping.h"
#include "text/ascii.h"

namespace skerrow {

namespace {

// Key columns MySQL can index only by a prefix.
bool NeedsKeyPrefix(const std::string& sourceType) {
  for (const char* type : {"BLOB", "RAW", "LONG RAW", "CLOB", "ROWID"})
    if (sourceType == type) return true;
  return false;
}

const ColumnDescriptor* FindColumn(const std::vector<ColumnDescriptor>& catalog,
                                   const std::string& name) {
  auto it = std::find_if(catalog.begin(), catalog.end(),
                         [&](const ColumnDescriptor& column) { return column.columnName == name; });
  return it == catalog.end() ? nullptr : &*it;
}

}  // namespace

std::string DefaultClause(const std::string& dataDefault, bool suppressDefault) {
  if (suppressDefault || dataDefault.empty()) return {};
  for (const char* none : {"SYSDATE", "sysdate", "USER", "user"})
    if (dataDefault == none) return {};
  // A generator (an identity column's "OWNER"."ISEQ$$_n".nextval) means nothing to MySQL.
  for (const char* generator : {".nextval", ".NEXTVAL", ".\"NEXTVAL\""})
    if (dataDefault.find(generator) != std::string::npos) return {};
  std::string value;
  for (char c : dataDefault)
    if (c != '(' && c != ')') value.push_back(c);
  if (value == "UID") {
    value = "0";
  } else if (value.find("--") != std::string::npos) {
    value = text::TrimWhiteSpace(value);
    value.resize(value.find("--"));
  } else {
    value = text::TrimWhiteSpace(value);
  }
  // "DEFAULT " alone would make the whole statement fail.
  if (text::TrimWhiteSpace(value).empty()) return {};
  return "DEFAULT " + value;
}

std::string CreateTableHead(const std::string& database, const std::string& table) {
  return "Create table " + QuoteMySqlIdentifier(database) + "." + QuoteMySqlIdentifier(table) + "(";
}

std::string BuildColumnDefinitions(TableColumnLists& lists,
                                   const std::vector<ColumnDescriptor>& catalog) {
  std::string definitions;
  for (std::size_t position = 0; position < catalog.size(); ++position) {
    const ColumnDescriptor& column = catalog[position];
    if (position > 0) definitions += ',';
    definitions += QuoteMySqlIdentifier(column.columnName) + " ";
    bool suppressDefault = false;
    const std::string type = MapColumnType(lists, column, position, suppressDefault);
    definitions += type + " ";
    if (type == "VARCHAR") definitions += "(" + column.dataLength + ") ";
    if (type == "CHAR") definitions += "(255) ";
    if (column.nullable == "N" && !lists.HasSkippedColumns) definitions += "NOT NULL ";
    definitions += DefaultClause(column.dataDefault, suppressDefault);
  }
  return definitions;
}

std::string KeyClause(const std::vector<std::string>& keyColumnNames,
                      const std::vector<ColumnDescriptor>& catalog) {
  std::string references;
  const std::string* previous = nullptr;
  for (const auto& name : keyColumnNames) {
    if (previous != nullptr && name == *previous) continue;
    previous = &name;
    // Only columns of this table: the key query also sees same-named tables of other owners.
    const ColumnDescriptor* column = FindColumn(catalog, name);
    if (column == nullptr) continue;
    if (!references.empty()) references += ',';
    references += QuoteMySqlIdentifier(name);
    // MyISAM keys hold at most 1000 bytes; a utf8mb4 character may take 4, so a prefix of 500
    // characters is always refused. 250 characters of the hex text still key 125 bytes.
    if (NeedsKeyPrefix(column->dataType)) references += "(250)";
  }
  if (references.empty()) return {};
  return ",PRIMARY KEY(" + references + ")";
}

std::string CreateTableStatement(const std::string& head, const std::string& definitions,
                                 const std::string& keyClause) {
  return head + definitions + keyClause + ")ENGINE=MyISAM";
}

}  // namespace skerrow
