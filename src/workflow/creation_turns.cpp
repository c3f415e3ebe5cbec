#include "workflow/creation_turns.h"

namespace skerrow {

void CreationTurns::Wait(std::size_t ticket) {
  std::unique_lock<std::mutex> lock(mutex_);
  turnChanged_.wait(lock, [&] { return next_ >= ticket; });
}

void CreationTurns::Release(std::size_t ticket) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (ticket >= released_.size() || released_[ticket]) return;
    released_[ticket] = true;
    while (next_ < released_.size() && released_[next_]) ++next_;
  }
  turnChanged_.notify_all();
}

}  // namespace skerrow
