#pragma once

#include <string>
#include <vector>

#include "schema/column_descriptor.h"
#include "transfer/table_column_lists.h"

namespace skerrow {

// "DEFAULT <value>" for a column's DATA_DEFAULT, or nothing (no default, SYSDATE or USER, a
// suppressed default, or a value that is empty once its parentheses are gone).
std::string DefaultClause(const std::string& dataDefault, bool suppressDefault);

// Create table `db`.`table`(   -- both names with their backticks doubled.
std::string CreateTableHead(const std::string& database, const std::string& table);

// The column definitions of the whole catalog, in catalog order, joined by ",". Maps every
// column, and so fills the table's column lists for the row copy.
std::string BuildColumnDefinitions(TableColumnLists& lists,
                                   const std::vector<ColumnDescriptor>& catalog);

// ",PRIMARY KEY(`A`,`B`(250))" from the key rows' column names in row order, or nothing when
// no row names a column of this table. A name repeating the previous one (a same-named table
// of another owner) is passed over.
std::string KeyClause(const std::vector<std::string>& keyColumnNames,
                      const std::vector<ColumnDescriptor>& catalog);

// head + definitions + key clause + ")ENGINE=MyISAM".
std::string CreateTableStatement(const std::string& head, const std::string& definitions,
                                 const std::string& keyClause);

}  // namespace skerrow
