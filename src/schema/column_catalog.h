#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "db/row_array.h"
#include "db/source_connection.h"
#include "db/variant.h"
#include "schema/column_descriptor.h"
#include "transfer/table_column_lists.h"

namespace skerrow {

// The query that reads the columns of one of the connected user's tables.
std::string ColumnCatalogQuery(const std::string& tableName);

// One catalog value as text. `timestampLength` marks the DATA_LENGTH of a column whose type
// names a TIMESTAMP: it reads "100", whatever kind the value is.
std::string CatalogValueText(const Variant& value, bool timestampLength);

// A descriptor's length, precision or scale as a number; nullopt when the field is empty or not
// a whole number.
std::optional<long> CatalogNumber(const std::string& field);

// The descriptors of a fetched catalog result, one per row, in row order.
std::vector<ColumnDescriptor> DescriptorsFromCatalogRows(const RowArray& rows);

// Runs the catalog query and returns the table's columns in catalog order. Raises the source's
// SourceError (also for a table without columns, since the fetch of an empty result fails).
std::vector<ColumnDescriptor> ReadColumnCatalog(SourceConnection& source,
                                                const std::string& tableName);

// Before a table's catalog is read: empties the lists the previous table left behind.
void ResetColumnLists(TableColumnLists& lists);

// Once the catalog of `columnCount` columns is known: one empty entry per column and one more.
void SizeColumnLists(TableColumnLists& lists, std::size_t columnCount);

}  // namespace skerrow
