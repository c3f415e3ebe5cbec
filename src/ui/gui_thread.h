#pragma once

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <optional>
#include <type_traits>
#include <utility>

namespace skerrow::ui {

// Runs `function` on the thread of `context` (the GUI thread) and waits for it: directly when
// already there, otherwise queued behind the events posted before it, so that calls from a
// worker take effect in the order the worker made them.
template <typename Function>
auto RunOnGuiThread(QObject& context, Function&& function) -> std::invoke_result_t<Function&> {
  using Result = std::invoke_result_t<Function&>;
  if (QThread::currentThread() == context.thread()) return function();
  if constexpr (std::is_void_v<Result>) {
    QMetaObject::invokeMethod(
        &context, [&function] { function(); }, Qt::BlockingQueuedConnection);
  } else {
    std::optional<Result> result;
    QMetaObject::invokeMethod(
        &context, [&function, &result] { result.emplace(function()); },
        Qt::BlockingQueuedConnection);
    if (!result) return Result{};
    return std::move(*result);
  }
}

}  // namespace skerrow::ui
