#include "workflow/parallel_run.h"

#include <algorithm>
#include <cstddef>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "workflow/checked_tables.h"
#include "workflow/creation_turns.h"
#include "workflow/job_connections.h"
#include "workflow/serialised_window.h"
#include "workflow/table_conversion.h"
#include "workflow/table_order.h"
#include "workflow/table_window.h"

namespace skerrow {

namespace {

class ParallelRun {
 public:
  ParallelRun(ConversionState& state, WizardWindow& window, std::vector<std::string> tables,
              std::vector<std::size_t> startOrder)
      : state_(state),
        window_(window),
        tables_(std::move(tables)),
        startOrder_(std::move(startOrder)),
        turns_(tables_.size()),
        reports_(tables_.size()) {}

  TablesOutcome Run(std::size_t jobs) {
    std::vector<std::thread> helpers;
    // Whatever ends this job, the others are waited for before their state goes.
    struct JoinAll {
      std::vector<std::thread>& threads;
      ~JoinAll() {
        for (std::thread& thread : threads)
          if (thread.joinable()) thread.join();
      }
    } joinAll{helpers};
    const std::size_t wanted = std::min(jobs, tables_.size());
    for (std::size_t job = 1; job < wanted; ++job) {
      try {
        helpers.emplace_back([this] { WorkOnConnectionsOfItsOwn(); });
      } catch (const std::exception& error) {
        Tell(std::string("Fewer tables are converted at the same time: a further job could "
                         "not be started: ") +
             error.what());
        break;
      }
    }
    Work(state_.Source, state_.Target, state_.ColumnLists);
    for (std::thread& helper : helpers) helper.join();
    return Outcome();
  }

 private:
  struct Taken {
    std::size_t position;
    std::size_t ticket;
  };

  // The next table to start, unless the run is ending or every table has started.
  std::optional<Taken> Take() {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (connectionLost_ || state_.StopRequested || started_ >= startOrder_.size())
      return std::nullopt;
    const Taken taken{startOrder_[started_], started_};
    ++started_;
    return taken;
  }

  bool NothingLeftToStart() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return connectionLost_ || state_.StopRequested || started_ >= startOrder_.size();
  }

  void Finish(std::size_t position, TableReport report, const TargetConnection& target) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!connectionLost_ && LostTheConnection(report, target)) {
      connectionLost_ = true;
      lostDuring_ = report.createdName.value_or(report.sourceName);
      runError_ = ConnectionLostRunError(target);
    }
    reports_[position] = std::move(report);
  }

  // Why the running tables end before their next block of rows; nothing while the run goes on.
  std::optional<std::string> StopReason() {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!connectionLost_) return std::nullopt;
    return "The run ended when the connection to MySQL was lost during table " + lostDuring_;
  }

  void Tell(const std::string& text) {
    MessageRequest request;
    request.text = text;
    request.caption = "Message";
    request.icon = MessageIcon::Warning;
    request.kind = MessageKind::Error;
    window_.ShowMessage(request);
  }

  void WorkOnConnectionsOfItsOwn() {
    try {
      // A session opened when every table has started would only be closed again.
      if (NothingLeftToStart()) return;
      JobConnections connections(state_.Source.Providers());
      if (const std::optional<std::string> failure =
              OpenJobConnections(state_.Connection, connections)) {
        Tell("Fewer tables are converted at the same time: " + *failure);
        return;
      }
      TableColumnLists lists;
      Work(connections.source, connections.target, lists);
    } catch (const std::exception& error) {
      Tell(std::string("A job converting tables at the same time ended: ") + error.what());
    }
  }

  // Converts tables on these connections until none is left to start.
  void Work(SourceConnection& source, TargetConnection& target, TableColumnLists& lists) {
    while (const std::optional<Taken> taken = Take()) {
      const std::string& table = tables_[taken->position];
      window_.OnTableStarted(table);
      TableReport report;
      {
        TicketTurn turn(turns_, taken->ticket);
        try {
          TableWindow tableWindow(state_, window_);
          TableJob job = MakeTableJob(state_, window_, tableWindow, source, target);
          job.creationTurn = &turn;
          job.options.stopReason = [this] { return StopReason(); };
          report = ConvertTable(job, table, lists, state_.VerifyTables);
        } catch (const std::exception& error) {
          report = TableReport{};
          report.sourceName = table;
          report.createError = std::string("not converted: ") + error.what();
        }
      }
      window_.OnTableFinished(report);
      Finish(taken->position, std::move(report), target);
    }
  }

  TablesOutcome Outcome() {
    TablesOutcome outcome;
    for (std::size_t position = 0; position < tables_.size(); ++position) {
      if (reports_[position])
        state_.Report.tables.push_back(std::move(*reports_[position]));
      else
        outcome.notStarted.push_back(tables_[position]);
    }
    outcome.connectionLost = connectionLost_;
    if (connectionLost_) state_.Report.runError = runError_;
    // A stop once every table had started leaves nothing undone: that run simply completed.
    outcome.stopped = !connectionLost_ && state_.StopRequested && !outcome.notStarted.empty();
    return outcome;
  }

  ConversionState& state_;
  SerialisedWindow window_;
  const std::vector<std::string> tables_;
  const std::vector<std::size_t> startOrder_;
  CreationTurns turns_;

  std::mutex mutex_;
  std::size_t started_ = 0;
  std::vector<std::optional<TableReport>> reports_;
  bool connectionLost_ = false;
  std::string lostDuring_;
  std::string runError_;
};

}  // namespace

TablesOutcome ConvertTablesInParallel(ConversionState& state, WizardWindow& window) {
  std::vector<std::string> tables = CheckedTables(state, window);
  std::vector<std::size_t> startOrder = LargestFirst(tables, ReadSourceRowCounts(state.Source));
  ParallelRun run(state, window, std::move(tables), std::move(startOrder));
  return run.Run(static_cast<std::size_t>(std::max(state.Jobs, 1)));
}

}  // namespace skerrow
