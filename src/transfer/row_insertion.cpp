#include "transfer/row_insertion.h"

#include <utility>

#include "transfer/row_statements.h"

namespace skerrow {

SingleRowWriter::SingleRowWriter(TargetConnection& target, std::string insertPrefix,
                                 TableReport& report)
    : target_(target), prefix_(std::move(insertPrefix)), report_(report) {}

bool SingleRowWriter::Add(std::string_view values, std::int64_t sourceRow) {
  statement_ = RowStatement(prefix_, values);
  if (target_.Query(statement_)) {
    ++report_.rowsWritten;
  } else if (target_.LastErrorLostConnection()) {
    lost_ = true;
    return false;
  } else {
    RefuseRow(report_, sourceRow, target_.LastErrorMessage());
  }
  ++rowsDone_;
  return true;
}

bool SingleRowWriter::Reject(std::int64_t sourceRow, const std::string& reason) {
  RefuseRow(report_, sourceRow, reason);
  ++rowsDone_;
  return true;
}

void RefuseRow(TableReport& report, std::int64_t sourceRow, const std::string& serverMessage) {
  ++report.rowsRefused;
  KeepRefusalMessage(report, "Row " + std::to_string(sourceRow) + ": " + serverMessage);
}

void KeepRefusalMessage(TableReport& report, std::string message) {
  if (report.refusalMessages.size() < TableReport::kMaxRefusalMessages)
    report.refusalMessages.push_back(std::move(message));
}

}  // namespace skerrow
