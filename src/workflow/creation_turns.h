#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <vector>

#include "transfer/table_job.h"

namespace skerrow {

// The turns of a parallel run's tables to create their MySQL tables: ticket n goes once
// tickets 0 to n-1 are released. Tickets are handed out in the order the tables start, each
// to a table a job is working on, so every earlier ticket is released in time.
class CreationTurns {
 public:
  explicit CreationTurns(std::size_t tickets) : released_(tickets, false) {}

  void Wait(std::size_t ticket);
  // Once per ticket is enough; later calls change nothing.
  void Release(std::size_t ticket);

 private:
  std::mutex mutex_;
  std::condition_variable turnChanged_;
  std::vector<bool> released_;
  // Every ticket before it is released.
  std::size_t next_ = 0;
};

// One table's ticket, as the table creation takes it.
class TicketTurn : public CreationTurn {
 public:
  TicketTurn(CreationTurns& turns, std::size_t ticket) : turns_(turns), ticket_(ticket) {}
  ~TicketTurn() override { Release(); }
  TicketTurn(const TicketTurn&) = delete;
  TicketTurn& operator=(const TicketTurn&) = delete;

  void Take() override { turns_.Wait(ticket_); }
  void Release() override { turns_.Release(ticket_); }

 private:
  CreationTurns& turns_;
  std::size_t ticket_;
};

}  // namespace skerrow
