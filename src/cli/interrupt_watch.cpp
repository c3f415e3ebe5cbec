#include "cli/interrupt_watch.h"

#include <pthread.h>

#include <ctime>

namespace skerrow::cli {
namespace {

sigset_t InterruptSignal() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  return set;
}

// How long the watching thread waits for the signal before it looks whether to end.
constexpr long kPollNanoseconds = 100'000'000;

}  // namespace

InterruptWatch::InterruptWatch(std::function<void(int count)> onInterrupt)
    : onInterrupt_(std::move(onInterrupt)) {
  // Ignored (a background job of a script, nohup): it stays ignored.
  struct sigaction current {};
  if (sigaction(SIGINT, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) return;
  const sigset_t interrupt = InterruptSignal();
  blocked_ = pthread_sigmask(SIG_BLOCK, &interrupt, &previousMask_) == 0;
  // Without the mask the signal keeps its usual effect: it ends the program.
  if (blocked_) thread_ = std::thread([this] { Watch(); });
}

InterruptWatch::~InterruptWatch() {
  ending_ = true;
  if (thread_.joinable()) thread_.join();
  if (blocked_) pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
}

void InterruptWatch::Watch() {
  const sigset_t interrupt = InterruptSignal();
  const timespec poll{0, kPollNanoseconds};
  int count = 0;
  while (!ending_) {
    if (sigtimedwait(&interrupt, nullptr, &poll) == SIGINT) onInterrupt_(++count);
  }
}

}  // namespace skerrow::cli
