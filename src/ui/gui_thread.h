#pragma once

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <exception>
#include <optional>
#include <type_traits>
#include <utility>

#include "workflow/wizard_window.h"

namespace skerrow::ui {

// Runs `function` on the thread of `context` (the GUI thread) and waits for it: directly when
// already there, otherwise queued behind the events posted before it, so that calls from a
// worker take effect in the order the worker made them. What `function` throws is thrown to
// the caller; a call the GUI thread never carried out (its object went away while the call
// waited) throws WindowOperationFailed rather than passing for an empty answer.
template <typename Function>
auto RunOnGuiThread(QObject& context, Function&& function) -> std::invoke_result_t<Function&> {
  using Result = std::invoke_result_t<Function&>;
  if (QThread::currentThread() == context.thread()) return function();
  bool carriedOut = false;
  std::exception_ptr failure;
  std::optional<std::conditional_t<std::is_void_v<Result>, bool, Result>> result;
  const bool queued = QMetaObject::invokeMethod(
      &context,
      [&] {
        carriedOut = true;
        // Nothing may leave through the GUI thread's event loop; it goes to the caller.
        try {
          if constexpr (std::is_void_v<Result>) {
            function();
            result.emplace(true);
          } else {
            result.emplace(function());
          }
        } catch (...) {
          failure = std::current_exception();
        }
      },
      Qt::BlockingQueuedConnection);
  if (failure) std::rethrow_exception(failure);
  if (!queued || !carriedOut || !result)
    throw WindowOperationFailed(
        "the window did not carry out a step of the conversion (it was closed)");
  if constexpr (!std::is_void_v<Result>) return std::move(*result);
}

}  // namespace skerrow::ui
