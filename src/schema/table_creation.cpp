#include "schema/table_creation.h"

#include <iterator>

#include "schema/column_catalog.h"
#include "schema/create_table_text.h"
#include "schema/table_definition.h"
#include "schema/table_keys.h"
#include "text/ascii.h"
#include "transfer/copy_table_rows.h"
#include "transfer/oracle_sql_text.h"

namespace skerrow {

namespace {

constexpr std::size_t kKeyColumnNameField = 1;
constexpr std::size_t kKeyOwnerField = 4;

// A column definition the server refused for its default: an invalid default, a default of a
// TEXT or BLOB column, or (1054) a name the default refers to.
bool IsRefusedDefault(unsigned error, const std::string& message) {
  return error == kErrorInvalidDefault || error == kErrorTextDefault ||
         (error == kErrorUnknownColumn && message.find("'DEFAULT'") != std::string::npos);
}

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

std::vector<std::string> ReadKeyColumnNames(SourceConnection& source, const std::string& tableName,
                                            const std::string& owner) {
  // The key is optional: a table the source cannot describe a key for has none.
  try {
    source.Execute(ConstraintQuery(tableName));
    source.GetRows();
    source.Execute(PrimaryKeyQuery(tableName));
    return OwnKeyColumnNames(source.GetRows(), owner);
  } catch (const SourceError&) {
    return {};
  }
}

std::string ReadKeyClause(SourceConnection& source, const std::string& tableName,
                          const std::string& owner, const TableDefinition& definition) {
  const std::vector<std::string> names = ReadKeyColumnNames(source, tableName, owner);
  return names.empty() ? std::string() : KeyClause(names, definition);
}

void DescribeTableColumns(SourceConnection& source, const std::string& sourceTable,
                          const SqlEscaper& escape, TableColumnLists& lists) {
  ResetColumnLists(lists);
  const std::vector<ColumnDescriptor> catalog = ReadColumnCatalog(source, sourceTable);
  SizeColumnLists(lists, catalog.size());
  BuildTableDefinition(lists, catalog, escape);
}

void TranslateTable(const TableJob& job, const std::string& sourceTable, TableColumnLists& lists,
                    TableReport& report) {
  report.sourceName = sourceTable;
  ResetColumnLists(lists);
  const std::vector<ColumnDescriptor> catalog = ReadColumnCatalog(job.source, sourceTable);
  SizeColumnLists(lists, catalog.size());
  TargetConnection& target = job.target;
  TableDefinition definition = BuildTableDefinition(
      lists, catalog, [&target](std::string_view text) { return target.EscapeString(text); });
  // What the table does not keep is told whether or not the server then takes it.
  const auto keepNotes = [&] {
    report.schemaNotes.insert(report.schemaNotes.end(),
                              std::make_move_iterator(definition.notes.begin()),
                              std::make_move_iterator(definition.notes.end()));
    definition.notes.clear();
  };

  std::string targetName = sourceTable;
  int renames = 0;
  bool keyDropped = false;
  // Each mending takes away a default or a VARCHAR, so the attempts end.
  CreationTurnGuard turn(job.creationTurn);
  for (;;) {
    const std::string keyClause =
        keyDropped ? std::string() : ReadKeyClause(job.source, sourceTable, job.owner, definition);
    const std::string statement = CreateTableStatement(
        CreateTableHead(job.database, targetName), ColumnDefinitionsText(definition), keyClause);
    if (target.Query(statement)) {
      report.createdName = targetName;
      report.keyClauseAdded = !keyClause.empty();
      break;
    }
    const unsigned error = target.LastErrorNumber();
    if (error == kErrorTableExists && renames < kMaxRenameAttempts) {
      targetName += "0001";
      ++renames;
      continue;
    }
    if (error == kErrorKeyTooLong && !keyClause.empty() && !keyDropped) {
      // A table without its key still holds every row; the report says the key is missing.
      report.createError =
          "created without its primary key, which MySQL refused: " + RefusalText(target);
      keyDropped = true;
      continue;
    }
    if (IsRefusedDefault(error, target.LastErrorMessage()) &&
        DropRefusedDefaults(definition, RefusalText(target)))
      continue;
    if ((error == kErrorRowSizeTooLarge || error == kErrorColumnLengthTooBig) &&
        WidenLongestVarchar(definition, error))
      continue;
    if (target.LastErrorLostConnection()) {
      report.connectionLost = true;
      report.createError = "not created: the connection to MySQL was lost: " + RefusalText(target);
    } else if (error == kErrorTableExists) {
      report.createError = "not created: the destination database holds tables named " +
                           sourceTable + " up to " + targetName + " already (" +
                           RefusalText(target) + ")";
    } else {
      report.createError = "MySQL refused to create the table: " + RefusalText(target);
    }
    keepNotes();
    return;
  }
  keepNotes();
  turn.Release();
  CopyTableRows(job, sourceTable, targetName, lists, report);
  // Keys and indexes are built once, over the rows, rather than row by row during the copy.
  if (!report.connectionLost && !report.abandoned)
    AddTableKeys(job, sourceTable, targetName, definition, report);
}

}  // namespace skerrow
