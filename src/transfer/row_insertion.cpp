#include "transfer/row_insertion.h"

#include <utility>

#include "transfer/row_statements.h"

namespace skerrow {

RowInserter::RowInserter(TargetConnection& target, std::string insertPrefix, TableReport& report)
    : target_(target), prefix_(std::move(insertPrefix)), report_(report) {}

RowOutcome RowInserter::Send(std::string_view values, std::int64_t sourceRow) {
  statement_ = RowStatement(prefix_, values);
  if (target_.Query(statement_)) {
    ++report_.rowsWritten;
    return RowOutcome::Written;
  }
  if (target_.LastErrorLostConnection()) return RowOutcome::ConnectionLost;
  ++report_.rowsRefused;
  KeepRefusalMessage(report_,
                     "Row " + std::to_string(sourceRow) + ": " + target_.LastErrorMessage());
  return RowOutcome::Refused;
}

void KeepRefusalMessage(TableReport& report, std::string message) {
  if (report.refusalMessages.size() < TableReport::kMaxRefusalMessages)
    report.refusalMessages.push_back(std::move(message));
}

}  // namespace skerrow
