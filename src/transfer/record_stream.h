#pragma once

#include <cstddef>
#include <deque>
#include <stdexcept>
#include <utility>

#include "transfer/verify_record.h"

namespace skerrow {

// Records one after the other, with a look at the next ones before they are taken.
class RecordStream {
 public:
  virtual ~RecordStream() = default;

  // The record `ahead` places from the front (0: the next one); null past the end.
  const RowRecord* Peek(std::size_t ahead = 0) {
    while (buffered_.size() <= ahead && !ended_) {
      RowRecord record;
      if (Pull(record))
        buffered_.push_back(std::move(record));
      else
        ended_ = true;
    }
    return ahead < buffered_.size() ? &buffered_[ahead] : nullptr;
  }
  // Takes the next record; nothing at the end.
  void Pop() {
    if (Peek()) buffered_.pop_front();
  }
  // Moves the next record into `into` and takes it; false at the end.
  bool Take(RowRecord& into) {
    if (!Peek()) return false;
    into = std::move(buffered_.front());
    buffered_.pop_front();
    return true;
  }

 protected:
  // The next record into `into`; false when there is none.
  virtual bool Pull(RowRecord& into) = 0;

 private:
  std::deque<RowRecord> buffered_;
  bool ended_ = false;
};

// A stream that met a record ordered before the one it gave last.
class RecordsOutOfOrder : public std::runtime_error {
 public:
  RecordsOutOfOrder() : std::runtime_error("the rows did not arrive in key order") {}
};

// Passes the records of `inner` on while they come in order, and raises RecordsOutOfOrder at
// the first that does not.
class OrderCheckedStream : public RecordStream {
 public:
  explicit OrderCheckedStream(RecordStream& inner) : inner_(inner) {}

 protected:
  bool Pull(RowRecord& into) override {
    if (!inner_.Take(into)) return false;
    if (started_ && CompareRecords(into, last_) < 0) throw RecordsOutOfOrder();
    last_.key = into.key;
    last_.row = into.row;
    started_ = true;
    return true;
  }

 private:
  RecordStream& inner_;
  RowRecord last_;
  bool started_ = false;
};

}  // namespace skerrow
