#include "cli/run_interrupts.h"

#include <cstdlib>
#include <string>

#include "workflow/conversion_run.h"

namespace skerrow::cli {

RunInterrupts::RunInterrupts(ConversionState& state, const CliWindow& window, std::ostream& out,
                             std::ostream& err, std::function<void(const RunReport&)> writeReport)
    : state_(state),
      window_(window),
      out_(out),
      err_(err),
      writeReport_(std::move(writeReport)),
      watch_([this](int count) { OnInterrupt(count); }) {}

void RunInterrupts::OnInterrupt(int count) {
  if (phase_ == Phase::Ended) return;
  if (phase_ == Phase::Connecting || count > 1) EndNow();
  RequestStop(state_);
  const std::string running = window_.Snapshot().TablesInProgress();
  // The progress lines stay where they are; this goes below them.
  err_ << "\nskerrow-cli: Ctrl-C: no further table is started"
       << (running.empty() ? std::string() : "; finishing " + running)
       << ". Press Ctrl-C again to end at once.\n"
       << std::flush;
}

void RunInterrupts::EndNow() {
  out_ << std::flush;
  if (phase_ == Phase::Connecting) {
    err_ << "\nskerrow-cli: ended by Ctrl-C before the conversion began; nothing was changed.\n"
         << std::flush;
    std::_Exit(kExitInterrupted);
  }
  const RunReport report =
      window_.Snapshot().EndedNow("The run was ended at once by a second Ctrl-C");
  err_ << "\nskerrow-cli: " << report.runError << ".\n" << std::flush;
  writeReport_(report);
  err_ << std::flush;
  std::_Exit(kExitInterrupted);
}

}  // namespace skerrow::cli
