#pragma once

#include <string>
#include <vector>

#include "db/source_connection.h"
#include "schema/column_descriptor.h"
#include "workflow/conversion_state.h"
#include "workflow/run_report.h"
#include "workflow/wizard_window.h"

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

// The key clause for `owner`'s table: empty when the table has no constraint or no primary
// key, or when the source cannot tell.
std::string ReadKeyClause(SourceConnection& source, const std::string& tableName,
                          const std::string& owner, const std::vector<ColumnDescriptor>& catalog);

// Creates the MySQL table for one checked source table in the destination database and copies
// its rows. Fills `report` (the name the table was created under, whether it got its key, or
// why it was not created). A failing catalog query raises the source's SourceError before
// anything is sent to MySQL.
void TranslateTable(ConversionState& state, WizardWindow& window, const std::string& sourceTable,
                    TableReport& report);

}  // namespace skerrow
