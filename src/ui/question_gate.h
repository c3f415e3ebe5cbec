#pragma once

#include <condition_variable>
#include <mutex>

namespace skerrow::ui {

// Held while the window's exit question is open. A message box the worker asks for meanwhile
// waits until the question is answered instead of coming up over it; the worker's other window
// operations go on. Opened and closed on the window's thread, waited on by the worker.
class QuestionGate {
 public:
  // Holds the gate for one scope.
  class Held {
   public:
    explicit Held(QuestionGate& gate) : gate_(gate) { gate_.SetOpen(true); }
    ~Held() { gate_.SetOpen(false); }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;

   private:
    QuestionGate& gate_;
  };

  bool IsHeld() const {
    std::lock_guard lock(mutex_);
    return held_ > 0;
  }
  void WaitUntilFree() const {
    std::unique_lock lock(mutex_);
    freed_.wait(lock, [this] { return held_ == 0; });
  }

 private:
  void SetOpen(bool open) {
    {
      std::lock_guard lock(mutex_);
      held_ += open ? 1 : -1;
    }
    freed_.notify_all();
  }

  mutable std::mutex mutex_;
  mutable std::condition_variable freed_;
  int held_ = 0;
};

}  // namespace skerrow::ui
