#include "schema/table_creation.h"

#include "schema/column_catalog.h"
#include "schema/create_table_text.h"
#include "text/ascii.h"
#include "transfer/copy_table_rows.h"
#include "transfer/oracle_sql_text.h"

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
          text::TrimWhiteSpace(rows.At(kKeyOwnerField, row).ToText().value_or(""));
      if (!rowOwner.empty() && rowOwner != owner) continue;
    }
    names.push_back(text::TrimWhiteSpace(rows.At(kKeyColumnNameField, row).ToText().value_or("")));
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

void TranslateTable(const TableJob& job, const std::string& sourceTable, TableColumnLists& lists,
                    TableReport& report) {
  report.sourceName = sourceTable;
  ResetColumnLists(lists);
  const std::vector<ColumnDescriptor> catalog = ReadColumnCatalog(job.source, sourceTable);
  SizeColumnLists(lists, catalog.size());
  const std::string definitions = BuildColumnDefinitions(lists, catalog);

  std::string targetName = sourceTable;
  int renames = 0;
  bool keyDropped = false;
  CreationTurnGuard turn(job.creationTurn);
  for (;;) {
    const std::string keyClause =
        keyDropped ? std::string() : ReadKeyClause(job.source, sourceTable, job.owner, catalog);
    const std::string statement =
        CreateTableStatement(CreateTableHead(job.database, targetName), definitions, keyClause);
    if (job.target.Query(statement)) {
      report.createdName = targetName;
      report.keyClauseAdded = !keyClause.empty();
      break;
    }
    const unsigned error = job.target.LastErrorNumber();
    if (error == kErrorTableExists && renames < kMaxRenameAttempts) {
      targetName += "0001";
      ++renames;
      continue;
    }
    if (error == kErrorKeyTooLong && !keyClause.empty() && !keyDropped) {
      // A table without its key still holds every row; the report says the key is missing.
      report.createError =
          "created without its primary key, which MySQL refused: " + RefusalText(job.target);
      keyDropped = true;
      continue;
    }
    if (job.target.LastErrorLostConnection()) {
      report.connectionLost = true;
      report.createError =
          "not created: the connection to MySQL was lost: " + RefusalText(job.target);
    } else if (error == kErrorTableExists) {
      report.createError = "not created: the destination database holds tables named " +
                           sourceTable + " up to " + targetName + " already (" +
                           RefusalText(job.target) + ")";
    } else {
      report.createError = "MySQL refused to create the table: " + RefusalText(job.target);
    }
    return;
  }
  turn.Release();
  CopyTableRows(job, sourceTable, targetName, lists, report);
}

}  // namespace skerrow
