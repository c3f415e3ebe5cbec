#include "workflow/table_conversion.h"

#include <exception>

#include "db/source_error.h"
#include "schema/table_creation.h"
#include "workflow/table_verify.h"
#include "workflow/wizard_window.h"

namespace skerrow {

TableReport ConvertTable(const TableJob& job, const std::string& sourceTable,
                         TableColumnLists& lists, bool verify) {
  TableReport report;
  report.sourceName = sourceTable;
  try {
    TranslateTable(job, sourceTable, lists, report);
    // A copy that ended early is an error already; its missing rows would only repeat it.
    if (verify && report.createdName && !report.abandoned && !report.connectionLost)
      report.verification =
          VerifyConvertedTable(job, sourceTable, *report.createdName, lists, report.rowsRefused);
  } catch (const SourceError& error) {
    if (error.Code() == kCodeNoCurrentRecord)
      report.createError =
          "not created: Oracle's catalog lists no columns for the table (was it dropped or "
          "renamed after the list of tables was read?)";
    else
      report.createError = "not created: Oracle could not describe the table: " +
                           error.Description().value_or(error.SystemMessage());
  } catch (const WindowOperationFailed&) {
    throw;
  } catch (const std::exception& error) {
    report.createError = std::string("not created: ") + error.what();
  }
  return report;
}

bool LostTheConnection(const TableReport& finished, const TargetConnection& target) {
  return finished.connectionLost || (!finished.createdName && target.LastErrorLostConnection());
}

std::string ConnectionLostRunError(const TargetConnection& target) {
  return "The connection to the MySQL server was lost: " + target.LastErrorMessage();
}

}  // namespace skerrow
