#pragma once

#include <cstdint>
#include <string>

#include "transfer/row_copy_window.h"
#include "transfer/table_job.h"
#include "workflow/conversion_state.h"
#include "workflow/wizard_window.h"

namespace skerrow {

// One table's window operations on the run's window. The converted tables are counted in
// ConversionState; every summary shows the count of selected tables as the table began.
class TableWindow : public RowCopyWindow {
 public:
  TableWindow(ConversionState& state, WizardWindow& window);

  void SetProgressTitle(const std::string& text) override;
  void OnTableRowsProgress(const std::string& targetTable, std::int64_t rows) override;
  void CountConvertedTable() override;
  void ShowTableConverted() override;
  // A box with the program's name as its caption, a warning icon and OK.
  void ShowCopyFailure(const std::string& text) override;

 private:
  ConversionState& state_;
  WizardWindow& window_;
  const std::int32_t selectedTables_;
};

// The job of one table of the run: the state's connections and row write mode, and the owner
// and destination database that the window's fields name as the table begins.
TableJob MakeTableJob(ConversionState& state, WizardWindow& window, RowCopyWindow& tableWindow);
// The same on connections of the job's own (a job of a parallel run).
TableJob MakeTableJob(ConversionState& state, WizardWindow& window, RowCopyWindow& tableWindow,
                      SourceConnection& source, TargetConnection& target);

}  // namespace skerrow
