#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "transfer/record_stream.h"

namespace skerrow {

// How much a sort may hold in memory, and where the rest goes.
struct SortLimits {
  // The records held before they are sorted and written out as one run.
  std::size_t memoryBytes = std::size_t{48} << 20;
  // Runs merged in one pass; more runs are merged in several.
  std::size_t mergeFanIn = 32;
  // Where the runs are written (deleted as they are created); empty: $TMPDIR, else /tmp.
  std::string directory;
};

class TemporaryFile;

// Sorts records of any number in bounded memory: whatever does not fit is sorted in runs on
// disk, which are merged as they are read back. Failures to write or read a run raise
// std::runtime_error with the system's reason.
class RecordSorter {
 public:
  explicit RecordSorter(SortLimits limits = {});
  ~RecordSorter();
  RecordSorter(const RecordSorter&) = delete;
  RecordSorter& operator=(const RecordSorter&) = delete;

  void Add(const RowRecord& record);
  // Every record added, in CompareRecords order. The sorter is used up.
  std::unique_ptr<RecordStream> Sorted();

  // How many runs went to disk so far (merge passes included).
  std::size_t RunsWritten() const { return runsWritten_; }

 private:
  void SortHeld();
  void WriteRun();

  SortLimits limits_;
  std::string held_;                  // the records not yet written, one after the other
  std::vector<std::size_t> offsets_;  // where each of them begins in held_
  std::vector<std::unique_ptr<TemporaryFile>> runs_;
  std::size_t runsWritten_ = 0;
};

}  // namespace skerrow
