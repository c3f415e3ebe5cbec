#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include "workflow/creation_turns.h"

namespace skerrow {
namespace {

using namespace std::chrono_literals;

bool StillWaiting(const std::future<void>& waiting) {
  return waiting.wait_for(50ms) == std::future_status::timeout;
}

TEST(CreationTurns, ATicketWaitsForEveryEarlierOne) {
  CreationTurns turns(3);
  turns.Wait(0);  // the first never waits
  std::future<void> third = std::async(std::launch::async, [&] { turns.Wait(2); });
  EXPECT_TRUE(StillWaiting(third));
  // A later ticket released first (its table failed before it took its turn) does not let
  // the third go while the first holds its turn.
  turns.Release(1);
  EXPECT_TRUE(StillWaiting(third));
  turns.Release(0);
  EXPECT_EQ(third.wait_for(10s), std::future_status::ready);
}

TEST(CreationTurns, ReleasingTwiceOrBeyondTheTicketsChangesNothing) {
  CreationTurns turns(2);
  turns.Release(0);
  turns.Release(0);
  turns.Release(7);
  std::future<void> second = std::async(std::launch::async, [&] { turns.Wait(1); });
  EXPECT_EQ(second.wait_for(10s), std::future_status::ready);
}

// The table creation takes and releases a table's turn through the guard; a table whose turn
// was never taken releases it when its ticket ends.
TEST(CreationTurns, ATicketIsReleasedWhateverWayItsTableEnds) {
  CreationTurns turns(3);
  {
    TicketTurn first(turns, 0);
    CreationTurnGuard guard(&first);
    guard.Release();
  }
  { TicketTurn second(turns, 1); }  // never taken: ended before its creation
  TicketTurn third(turns, 2);
  std::future<void> taken = std::async(std::launch::async, [&] { third.Take(); });
  EXPECT_EQ(taken.wait_for(10s), std::future_status::ready);
  CreationTurnGuard none(nullptr);  // a table alone has no turn to take
}

}  // namespace
}  // namespace skerrow
