#include "schema/table_creation.h"

#include "schema/column_catalog.h"
#include "schema/create_table_text.h"
#include "schema/oracle_sql_text.h"
#include "transfer/copy_table_rows.h"
#include "transfer/row_statements.h"
#include "workflow/control_ids.h"

namespace skerrow {

namespace {

constexpr std::size_t kKeyColumnNameField = 1;
constexpr std::size_t kKeyOwnerField = 4;

std::string RefusalText(const TargetConnection& target) {
  return target.LastErrorMessage() + " (MySQL error " + std::to_string(target.LastErrorNumber()) +
         ")";
}

}  // namespace

std::string ConstraintQuery(const std::string& tableName) {
  return "SELECT constraint_name, constraint_type FROM user_constraints WHERE table_name = " +
         OracleTextLiteral(tableName);
}

std::string PrimaryKeyQuery(const std::string& tableName) {
  return "SELECT cols.table_name, cols.column_name, cols.position, cons.status, cons.owner "
         "FROM all_constraints cons, all_cons_columns cols WHERE cols.table_name =  " +
         OracleTextLiteral(tableName) +
         " AND cons.constraint_type = 'P'AND cons.constraint_name = cols.constraint_name AND "
         "cons.owner = cols.owner ORDER BY cols.table_name, cols.position";
}

std::vector<std::string> OwnKeyColumnNames(const RowArray& rows, const std::string& owner) {
  std::vector<std::string> names;
  if (rows.FieldCount() <= kKeyColumnNameField) return names;
  for (std::size_t row = 0; row < rows.RowCount(); ++row) {
    // The key query sees the same-named tables of every owner; another owner's key columns
    // would make this table's key wrong (and its nullable columns NOT NULL).
    if (rows.FieldCount() > kKeyOwnerField) {
      const std::string rowOwner =
          TrimWhiteSpace(rows.At(kKeyOwnerField, row).ToText().value_or(""));
      if (!rowOwner.empty() && rowOwner != owner) continue;
    }
    names.push_back(TrimWhiteSpace(rows.At(kKeyColumnNameField, row).ToText().value_or("")));
  }
  return names;
}

std::string ReadKeyClause(SourceConnection& source, const std::string& tableName,
                          const std::string& owner, const std::vector<ColumnDescriptor>& catalog) {
  // The key is optional: a table the source cannot describe a key for is created without one.
  try {
    source.Execute(ConstraintQuery(tableName));
    source.GetRows();
    source.Execute(PrimaryKeyQuery(tableName));
    return KeyClause(OwnKeyColumnNames(source.GetRows(), owner), catalog);
  } catch (const SourceError&) {
    return {};
  }
}

void TranslateTable(ConversionState& state, WizardWindow& window, const std::string& sourceTable,
                    TableReport& report) {
  report.sourceName = sourceTable;
  ResetColumnLists(state);
  const std::string database = TrimWhiteSpace(window.GetControlText(kDestinationNameEdit));
  const std::string owner = SourceOwner(window.GetControlText(kOracleUserEdit));
  const std::vector<ColumnDescriptor> catalog = ReadColumnCatalog(state.Source, sourceTable);
  SizeColumnLists(state, catalog.size());
  const std::string definitions = BuildColumnDefinitions(state, catalog);

  std::string targetName = sourceTable;
  int renames = 0;
  bool keyDropped = false;
  for (;;) {
    const std::string keyClause =
        keyDropped ? std::string() : ReadKeyClause(state.Source, sourceTable, owner, catalog);
    const std::string statement =
        CreateTableStatement(CreateTableHead(database, targetName), definitions, keyClause);
    if (state.Target.Query(statement)) {
      report.createdName = targetName;
      report.keyClauseAdded = !keyClause.empty();
      break;
    }
    const unsigned error = state.Target.LastErrorNumber();
    if (error == kErrorTableExists && renames < kMaxRenameAttempts) {
      targetName += "0001";
      ++renames;
      continue;
    }
    if (error == kErrorKeyTooLong && !keyClause.empty() && !keyDropped) {
      // A table without its key still holds every row; the report says the key is missing.
      report.createError =
          "created without its primary key, which MySQL refused: " + RefusalText(state.Target);
      keyDropped = true;
      continue;
    }
    if (state.Target.LastErrorLostConnection()) {
      report.connectionLost = true;
      report.createError =
          "not created: the connection to MySQL was lost: " + RefusalText(state.Target);
    } else if (error == kErrorTableExists) {
      report.createError = "not created: the destination database holds tables named " +
                           sourceTable + " up to " + targetName + " already (" +
                           RefusalText(state.Target) + ")";
    } else {
      report.createError = "MySQL refused to create the table: " + RefusalText(state.Target);
    }
    return;
  }
  CopyTableRows(state, window, sourceTable, targetName, report);
}

}  // namespace skerrow
