#pragma once

#include <string>
#include <vector>

#include "db/row_array.h"
#include "db/source_connection.h"
#include "schema/column_descriptor.h"
#include "schema/table_definition.h"
#include "transfer/table_column_lists.h"
#include "transfer/table_job.h"
#include "transfer/table_report.h"

namespace skerrow {

// The server's answer when a table of that name exists already.
inline constexpr unsigned kErrorTableExists = 1050;
// The server's answer when a key is longer than the engine can index.
inline constexpr unsigned kErrorKeyTooLong = 1071;
// How many times a table is tried again under a further "0001" name.
inline constexpr int kMaxRenameAttempts = 20;

// The two catalog queries that find a table's primary key.
std::string ConstraintQuery(const std::string& tableName);
std::string PrimaryKeyQuery(const std::string& tableName);

// The key column names of the key query's rows that belong to `owner` (rows that name no
// owner are kept), in row order.
std::vector<std::string> OwnKeyColumnNames(const RowArray& rows, const std::string& owner);

// The primary key columns of `owner`'s table in key order: empty when the table has no
// constraint or no primary key, or when the source cannot tell.
std::vector<std::string> ReadKeyColumnNames(SourceConnection& source, const std::string& tableName,
                                            const std::string& owner);

// The key clause for `owner`'s table: empty when the table has no constraint or no primary
// key, or when the source cannot tell.
std::string ReadKeyClause(SourceConnection& source, const std::string& tableName,
                          const std::string& owner, const TableDefinition& definition);

// Fills `lists` for one source table as its creation would, without sending anything to
// MySQL (`escape` is the target's string escaper). Raises the source's SourceError as
// TranslateTable does.
void DescribeTableColumns(SourceConnection& source, const std::string& sourceTable,
                          const SqlEscaper& escape, TableColumnLists& lists);

// Creates the MySQL table for one checked source table in the job's destination database,
// filling `lists` while it maps the columns, and copies its rows with them. Fills `report`
// (the name the table was created under, whether it got its key, or why it was not created,
// and what the table does not keep of the source's definition). A table the server refuses
// for a default, its row size or a VARCHAR's length is tried again without that default or
// with the longest VARCHAR as TEXT.
// A failing catalog query raises the source's SourceError before anything is sent to MySQL.
void TranslateTable(const TableJob& job, const std::string& sourceTable, TableColumnLists& lists,
                    TableReport& report);

}  // namespace skerrow
