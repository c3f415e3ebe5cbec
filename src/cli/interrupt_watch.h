#pragma once

#include <signal.h>

#include <atomic>
#include <functional>
#include <thread>

namespace skerrow::cli {

// Ctrl-C (SIGINT) for as long as it lives: the signal is blocked in the thread that makes it,
// and so in every thread started after, and taken on a thread of its own, which calls
// `onInterrupt` with how many times it has come (1, 2, ...). No signal handler, so nothing
// that would have to be reachable from one. The previous signal mask is restored at the end.
// A signal the program was started with ignored stays ignored.
class InterruptWatch {
 public:
  explicit InterruptWatch(std::function<void(int count)> onInterrupt);
  ~InterruptWatch();
  InterruptWatch(const InterruptWatch&) = delete;
  InterruptWatch& operator=(const InterruptWatch&) = delete;

 private:
  void Watch();

  std::function<void(int)> onInterrupt_;
  sigset_t previousMask_{};
  bool blocked_ = false;
  std::atomic<bool> ending_{false};
  std::thread thread_;
};

}  // namespace skerrow::cli
