#pragma once

#include <atomic>
#include <functional>
#include <ostream>

#include "cli/cli_window.h"
#include "cli/interrupt_watch.h"
#include "workflow/conversion_state.h"
#include "workflow/run_report.h"

namespace skerrow::cli {

// The exit status of a run ended at once by Ctrl-C, as shells give a program the signal ended.
inline constexpr int kExitInterrupted = 130;

// What Ctrl-C does to the command line's conversion. Before the run begins, it ends the
// program at once (nothing has been changed yet). During the run, the first asks the run to
// start no further table and to finish the ones in progress; the second ends the program at
// once, after saying which tables it leaves partly copied and, through `writeReport`, writing
// the report of the tables finished so far. Once the run has ended, the little left to do (the
// report) is not cut short.
class RunInterrupts {
 public:
  RunInterrupts(ConversionState& state, const CliWindow& window, std::ostream& out,
                std::ostream& err, std::function<void(const RunReport&)> writeReport);

  // From here on the destination database may change.
  void RunBegins() { phase_ = Phase::Running; }
  // The run is over and its report being written: Ctrl-C changes nothing any more.
  void RunEnded() { phase_ = Phase::Ended; }

 private:
  void OnInterrupt(int count);
  [[noreturn]] void EndNow();

  ConversionState& state_;
  const CliWindow& window_;
  std::ostream& out_;
  std::ostream& err_;
  std::function<void(const RunReport&)> writeReport_;
  enum class Phase { Connecting, Running, Ended };
  std::atomic<Phase> phase_{Phase::Connecting};
  // Declared last: it calls OnInterrupt from its own thread once the rest is in place.
  InterruptWatch watch_;
};

}  // namespace skerrow::cli
