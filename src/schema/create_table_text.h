#pragma once

#include <string>
#include <vector>

#include "schema/table_definition.h"

namespace skerrow {

// Create table `db`.`table`(   -- both names with their backticks doubled.
std::string CreateTableHead(const std::string& database, const std::string& table);

// ",PRIMARY KEY(`A`,`B`(250))" from the key rows' column names in row order, or nothing when
// no row names a column of this table. A name repeating the previous one (a same-named table
// of another owner) is passed over.
std::string KeyClause(const std::vector<std::string>& keyColumnNames,
                      const TableDefinition& definition);

// head + definitions + key clause + ")ENGINE=MyISAM".
std::string CreateTableStatement(const std::string& head, const std::string& definitions,
                                 const std::string& keyClause);

}  // namespace skerrow
