#include "transfer/record_sorter.h"

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <queue>
#include <stdexcept>
#include <string_view>

namespace skerrow {

namespace {

constexpr std::size_t kHeaderBytes = 3 * sizeof(std::uint32_t);
constexpr std::size_t kFileBufferBytes = 64 * 1024;

std::string SystemReason() {
  return std::strerror(errno);
}

std::uint32_t Length(std::size_t size) {
  if (size > UINT32_MAX)
    throw std::runtime_error("a row of more than 4 GiB cannot be sorted for the comparison");
  return static_cast<std::uint32_t>(size);
}

// The three parts of a held record.
struct HeldRecord {
  std::string_view key, row, extra;
};

HeldRecord HeldAt(const std::string& held, std::size_t offset) {
  std::uint32_t lengths[3];
  std::memcpy(lengths, held.data() + offset, kHeaderBytes);
  const char* begin = held.data() + offset + kHeaderBytes;
  return {{begin, lengths[0]},
          {begin + lengths[0], lengths[1]},
          {begin + lengths[0] + lengths[1], lengths[2]}};
}

bool HeldBefore(const HeldRecord& a, const HeldRecord& b) {
  if (const int byKey = a.key.compare(b.key)) return byKey < 0;
  return a.row.compare(b.row) < 0;
}

// The records held in memory, in their sorted order.
class HeldStream : public RecordStream {
 public:
  HeldStream(std::string held, std::vector<std::size_t> offsets)
      : held_(std::move(held)), offsets_(std::move(offsets)) {}

 protected:
  bool Pull(RowRecord& into) override {
    if (next_ == offsets_.size()) return false;
    const HeldRecord record = HeldAt(held_, offsets_[next_++]);
    into.key.assign(record.key);
    into.row.assign(record.row);
    into.extra.assign(record.extra);
    return true;
  }

 private:
  std::string held_;
  std::vector<std::size_t> offsets_;
  std::size_t next_ = 0;
};

// The smallest record of several sorted streams at each step.
class MergeStream : public RecordStream {
 public:
  explicit MergeStream(std::vector<std::unique_ptr<RecordStream>> inputs)
      : inputs_(std::move(inputs)) {
    for (std::size_t i = 0; i < inputs_.size(); ++i)
      if (inputs_[i]->Peek()) heads_.push(i);
  }

 protected:
  bool Pull(RowRecord& into) override {
    if (heads_.empty()) return false;
    const std::size_t input = heads_.top();
    heads_.pop();
    inputs_[input]->Take(into);
    if (inputs_[input]->Peek()) heads_.push(input);
    return true;
  }

 private:
  struct Later {
    const MergeStream* merge;
    bool operator()(std::size_t a, std::size_t b) const {
      const int order = CompareRecords(*merge->inputs_[a]->Peek(), *merge->inputs_[b]->Peek());
      return order != 0 ? order > 0 : a > b;
    }
  };
  std::vector<std::unique_ptr<RecordStream>> inputs_;
  std::priority_queue<std::size_t, std::vector<std::size_t>, Later> heads_{Later{this}};
};

}  // namespace

// A file of records that no other process sees: removed from its directory as soon as it is
// created, closed (and gone) with the object.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::string& directory) {
    std::string dir = directory;
    if (dir.empty()) {
      const char* tmp = std::getenv("TMPDIR");
      dir = tmp && *tmp ? tmp : "/tmp";
    }
    std::string path = dir + "/skerrow-verify-XXXXXX";
    const int fd = ::mkstemp(path.data());
    if (fd < 0)
      throw std::runtime_error("could not create a temporary file in " + dir + ": " +
                               SystemReason());
    ::unlink(path.c_str());
    file_ = ::fdopen(fd, "w+b");
    if (!file_) {
      ::close(fd);
      throw std::runtime_error("could not open a temporary file in " + dir + ": " + SystemReason());
    }
    std::setvbuf(file_, nullptr, _IOFBF, kFileBufferBytes);
    directory_ = std::move(dir);
  }
  ~TemporaryFile() { std::fclose(file_); }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  void Write(std::string_view bytes) {
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
      throw std::runtime_error("could not write the comparison's temporary file in " + directory_ +
                               ": " + SystemReason());
  }
  void Append(const RowRecord& record) {
    const std::uint32_t lengths[3] = {Length(record.key.size()), Length(record.row.size()),
                                      Length(record.extra.size())};
    Write(std::string_view(reinterpret_cast<const char*>(lengths), kHeaderBytes));
    Write(record.key);
    Write(record.row);
    Write(record.extra);
  }
  void StartReading() {
    if (std::fflush(file_) != 0 || std::fseek(file_, 0, SEEK_SET) != 0)
      throw std::runtime_error("could not read back the comparison's temporary file in " +
                               directory_ + ": " + SystemReason());
  }
  // The next record; false at the end of the file.
  bool Read(RowRecord& into) {
    std::uint32_t lengths[3];
    const std::size_t got = std::fread(lengths, 1, kHeaderBytes, file_);
    if (got == 0 && std::feof(file_)) return false;
    if (got != kHeaderBytes) Broken();
    ReadPart(into.key, lengths[0]);
    ReadPart(into.row, lengths[1]);
    ReadPart(into.extra, lengths[2]);
    return true;
  }

 private:
  void ReadPart(std::string& part, std::uint32_t length) {
    part.resize(length);
    if (length > 0 && std::fread(part.data(), 1, length, file_) != length) Broken();
  }
  [[noreturn]] void Broken() {
    throw std::runtime_error(
        "the comparison's temporary file in " + directory_ +
        " could not be read back: " + (std::ferror(file_) ? SystemReason() : "it ended early"));
  }

  std::FILE* file_ = nullptr;
  std::string directory_;
};

namespace {

class RunStream : public RecordStream {
 public:
  explicit RunStream(std::unique_ptr<TemporaryFile> file) : file_(std::move(file)) {
    file_->StartReading();
  }

 protected:
  bool Pull(RowRecord& into) override { return file_->Read(into); }

 private:
  std::unique_ptr<TemporaryFile> file_;
};

}  // namespace

RecordSorter::RecordSorter(SortLimits limits) : limits_(std::move(limits)) {
  limits_.mergeFanIn = std::max<std::size_t>(limits_.mergeFanIn, 2);
}

RecordSorter::~RecordSorter() = default;

void RecordSorter::Add(const RowRecord& record) {
  const std::uint32_t lengths[3] = {Length(record.key.size()), Length(record.row.size()),
                                    Length(record.extra.size())};
  offsets_.push_back(held_.size());
  held_.append(reinterpret_cast<const char*>(lengths), kHeaderBytes);
  held_ += record.key;
  held_ += record.row;
  held_ += record.extra;
  if (held_.size() + offsets_.size() * sizeof(std::size_t) >= limits_.memoryBytes) WriteRun();
}

void RecordSorter::SortHeld() {
  const auto before = [this](std::size_t a, std::size_t b) {
    return HeldBefore(HeldAt(held_, a), HeldAt(held_, b));
  };
  // Rows often arrive in key order already.
  if (!std::is_sorted(offsets_.begin(), offsets_.end(), before))
    std::sort(offsets_.begin(), offsets_.end(), before);
}

void RecordSorter::WriteRun() {
  SortHeld();
  auto run = std::make_unique<TemporaryFile>(limits_.directory);
  RowRecord record;
  for (std::size_t offset : offsets_) {
    const HeldRecord held = HeldAt(held_, offset);
    record.key.assign(held.key);
    record.row.assign(held.row);
    record.extra.assign(held.extra);
    run->Append(record);
  }
  runs_.push_back(std::move(run));
  ++runsWritten_;
  held_.clear();
  offsets_.clear();
  // What a large table needed stays reserved no longer than the run.
  held_.shrink_to_fit();
  offsets_.shrink_to_fit();
}

std::unique_ptr<RecordStream> RecordSorter::Sorted() {
  if (runs_.empty()) {
    SortHeld();
    return std::make_unique<HeldStream>(std::move(held_), std::move(offsets_));
  }
  if (!offsets_.empty()) WriteRun();
  // Too many runs to read at once: merge them a group at a time into longer ones.
  while (runs_.size() > limits_.mergeFanIn) {
    std::vector<std::unique_ptr<RecordStream>> group;
    for (std::size_t i = 0; i < limits_.mergeFanIn; ++i)
      group.push_back(std::make_unique<RunStream>(std::move(runs_[i])));
    runs_.erase(runs_.begin(), runs_.begin() + static_cast<std::ptrdiff_t>(limits_.mergeFanIn));
    MergeStream merged(std::move(group));
    auto run = std::make_unique<TemporaryFile>(limits_.directory);
    RowRecord record;
    while (merged.Take(record)) run->Append(record);
    runs_.push_back(std::move(run));
    ++runsWritten_;
  }
  std::vector<std::unique_ptr<RecordStream>> inputs;
  for (auto& run : runs_) inputs.push_back(std::make_unique<RunStream>(std::move(run)));
  runs_.clear();
  return std::make_unique<MergeStream>(std::move(inputs));
}

}  // namespace skerrow
