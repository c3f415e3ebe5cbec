#pragma once

#include <cstddef>
#include <functional>

namespace skerrow::oracle {

// The stack the parsers and evaluators of the stand-in run on. Their nesting limits (500
// levels of an expression, 32 of blocks and loops) are checked long before this much stack is
// used, even in a build with sanitizers, whatever stack the calling thread has.
inline constexpr std::size_t kLargeStackBytes = 256u << 20;

// Runs `work` on a thread of its own with a stack of kLargeStackBytes and waits for it; what
// `work` throws is thrown here. When no such thread can be made (a process limit), `work` runs
// on the calling thread.
void RunWithLargeStack(const std::function<void()>& work);

}  // namespace skerrow::oracle
