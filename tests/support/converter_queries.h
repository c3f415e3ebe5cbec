#pragma once

// The converter's dictionary queries as it sends them, written out here so that tests check
// the stand-in against the texts themselves rather than against the code that composes them.
// The table name goes in as the body of a text literal (a ' already doubled).

#include <string>

namespace skerrow::test {

inline std::string CatalogQueryText(const std::string& tableLiteral) {
  return "select COLUMN_NAME, DATA_TYPE, DATA_LENGTH, DATA_PRECISION, NULLABLE, DATA_DEFAULT "
         "from USER_TAB_COLUMNS where TABLE_NAME = '" +
         tableLiteral + "'";
}

inline std::string ConstraintQueryText(const std::string& tableLiteral) {
  return "SELECT constraint_name, constraint_type FROM user_constraints WHERE table_name = '" +
         tableLiteral + "'";
}

// Two blanks before the quote and no blank before the second AND, as the converter sends it.
inline std::string KeyQueryText(const std::string& tableLiteral) {
  return "SELECT cols.table_name, cols.column_name, cols.position, cons.status, cons.owner FROM "
         "all_constraints cons, all_cons_columns cols WHERE cols.table_name =  '" +
         tableLiteral +
         "' AND cons.constraint_type = 'P'AND cons.constraint_name = cols.constraint_name AND "
         "cons.owner = cols.owner ORDER BY cols.table_name, cols.position";
}

}  // namespace skerrow::test
