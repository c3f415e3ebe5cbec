#include "transfer/row_comparison.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "text/utf8.h"
#include "transfer/sha256.h"

namespace skerrow {

namespace {

using Kind = VerificationDifference::Kind;

// How often the caller hears of the rows taken.
constexpr std::int64_t kProgressRows = 4096;
constexpr std::size_t kKeyTextCharacters = 200;

// A difference and where it came in the walk, so that kinds kept apart merge in key order.
struct Found {
  std::int64_t position = 0;
  VerificationDifference difference;
};

class Comparison {
 public:
  Comparison(const ComparedColumns& columns, std::int64_t refusedByCopy, TableVerification& result,
             const std::function<void(std::int64_t)>& onProgress)
      : columns_(columns),
        refusedByCopy_(refusedByCopy),
        result_(result),
        onProgress_(onProgress) {}

  void Run(RecordStream& source, RecordStream& target) {
    for (;;) {
      const RowRecord* s = source.Peek();
      const RowRecord* t = target.Peek();
      if (!s && !t) break;
      if (!t || (s && s->key < t->key && !Keyless())) {
        SourceOnly(*s);
        TakeSource(source);
        continue;
      }
      if (!s || (t->key < s->key && !Keyless())) {
        TargetOnly(*t);
        TakeTarget(target);
        continue;
      }
      if (Keyless()) {
        // Without a key a row pairs only with an equal one.
        const int order = CompareRecords(*s, *t);
        if (order < 0) {
          SourceOnly(*s);
          TakeSource(source);
        } else if (order > 0) {
          TargetOnly(*t);
          TakeTarget(target);
        } else {
          Paired(*s, *t);
          TakeSource(source);
          TakeTarget(target);
        }
        continue;
      }
      if (s->row != t->row) {
        // Several rows under one key (a key that became one DOUBLE, a MySQL table without its
        // key): the row after this one may be the partner.
        const RowRecord* s2 = source.Peek(1);
        if (s2 && s2->key == s->key && s2->row == t->row) {
          SourceOnly(*s);
          TakeSource(source);
          continue;
        }
        const RowRecord* t2 = target.Peek(1);
        if (t2 && t2->key == t->key && t2->row == s->row) {
          TargetOnly(*t);
          TakeTarget(target);
          continue;
        }
      }
      Paired(*s, *t);
      TakeSource(source);
      TakeTarget(target);
    }
    Finish();
  }

 private:
  bool Keyless() const { return columns_.keyPositions.empty(); }

  void TakeSource(RecordStream& source) {
    sourceDigest_.Update(source.Peek()->row);
    source.Pop();
    if (++result_.sourceRows % kProgressRows == 0 && onProgress_) onProgress_(result_.sourceRows);
  }
  void TakeTarget(RecordStream& target) {
    targetDigest_.Update(target.Peek()->row);
    target.Pop();
    ++result_.targetRows;
  }

  std::vector<CanonicalValue> Values(const RowRecord& record) const {
    std::optional<std::vector<CanonicalValue>> values = DecodeRow(record.row);
    if (!values) return std::vector<CanonicalValue>(columns_.names.size());
    values->resize(columns_.names.size());
    return std::move(*values);
  }

  void Keep(std::vector<Found>& list, VerificationDifference difference) {
    if (list.size() < TableVerification::kMaxDifferences)
      list.push_back({position_, std::move(difference)});
  }

  void SourceOnly(const RowRecord& record) {
    ++position_;
    if (!record.extra.empty() && SourceRowNotes::Decode(record.extra).refusal) {
      ++cannotBeWritten_;
      return;
    }
    ++missingInTarget_;
    if (missingFound_.size() < TableVerification::kMaxDifferences) {
      const auto values = Values(record);
      Keep(missingFound_, {Kind::MissingInTarget, RowKeyText(values, columns_), "", std::nullopt,
                           std::nullopt, false});
    }
  }

  void TargetOnly(const RowRecord& record) {
    ++position_;
    ++result_.rowsMissingInSource;
    if (otherFound_.size() < TableVerification::kMaxDifferences) {
      const auto values = Values(record);
      Keep(otherFound_, {Kind::MissingInSource, RowKeyText(values, columns_), "", std::nullopt,
                         std::nullopt, false});
    }
  }

  void Paired(const RowRecord& s, const RowRecord& t) {
    ++position_;
    ++result_.rowsCompared;
    const SourceRowNotes notes =
        s.extra.empty() ? SourceRowNotes() : SourceRowNotes::Decode(s.extra);
    if (s.row == t.row) {
      result_.roundedValues += static_cast<std::int64_t>(notes.rounded.size());
      return;
    }
    const std::vector<CanonicalValue> sourceValues = Values(s);
    const std::vector<CanonicalValue> targetValues = Values(t);
    for (std::size_t column = 0; column < columns_.names.size(); ++column) {
      const auto rounded =
          std::find_if(notes.rounded.begin(), notes.rounded.end(),
                       [column](const auto& entry) { return entry.first == column; });
      if (sourceValues[column] == targetValues[column]) {
        if (rounded != notes.rounded.end()) ++result_.roundedValues;
        continue;
      }
      ++result_.mismatches;
      if (otherFound_.size() >= TableVerification::kMaxDifferences) continue;
      const ColumnClass columnClass = columns_.classes[column];
      ShownValue sourceShown = ShowCanonical(sourceValues[column], columnClass);
      // The source's own text of a number the DOUBLE could keep only rounded.
      if (rounded != notes.rounded.end()) sourceShown = {rounded->second, false};
      const ShownValue targetShown = ShowCanonical(targetValues[column], columnClass);
      Keep(otherFound_,
           {Kind::ValueDiffers, RowKeyText(sourceValues, columns_), columns_.names[column],
            sourceShown.text, targetShown.text, sourceShown.hex || targetShown.hex});
    }
  }

  void Finish() {
    // Which of the missing rows the server refused is not known, only how many it did.
    const std::int64_t refusedByServer =
        std::max<std::int64_t>(0, refusedByCopy_ - cannotBeWritten_);
    const std::int64_t accounted = std::min(missingInTarget_, refusedByServer);
    result_.refusedRows = cannotBeWritten_ + accounted;
    result_.rowsMissingInTarget = missingInTarget_ - accounted;
    missingFound_.resize(std::min<std::size_t>(
        missingFound_.size(), static_cast<std::size_t>(result_.rowsMissingInTarget)));
    std::vector<Found> all = std::move(otherFound_);
    all.insert(all.end(), missingFound_.begin(), missingFound_.end());
    std::stable_sort(all.begin(), all.end(),
                     [](const Found& a, const Found& b) { return a.position < b.position; });
    if (all.size() > TableVerification::kMaxDifferences)
      all.resize(TableVerification::kMaxDifferences);
    result_.differences.clear();
    for (auto& found : all) result_.differences.push_back(std::move(found.difference));
    result_.sourceDigest = sourceDigest_.HexDigest();
    result_.targetDigest = targetDigest_.HexDigest();
    if (onProgress_) onProgress_(result_.sourceRows);
  }

  const ComparedColumns& columns_;
  const std::int64_t refusedByCopy_;
  TableVerification& result_;
  const std::function<void(std::int64_t)>& onProgress_;
  Sha256 sourceDigest_;
  Sha256 targetDigest_;
  std::int64_t position_ = 0;
  // Source rows the conversion could not write at all, and the other source rows MySQL lacks.
  std::int64_t cannotBeWritten_ = 0;
  std::int64_t missingInTarget_ = 0;
  std::vector<Found> missingFound_;
  std::vector<Found> otherFound_;
};

}  // namespace

std::string RowKeyText(const std::vector<CanonicalValue>& values, const ComparedColumns& columns) {
  std::string text;
  const auto shown = [&](std::size_t column) {
    return column < values.size()
               ? ShownValueText(ShowCanonical(values[column], columns.classes[column]))
               : std::string("?");
  };
  if (columns.keyPositions.empty()) {
    for (std::size_t column = 0; column < columns.names.size(); ++column)
      text += (column ? ", " : "") + shown(column);
    text = "(" + text + ")";
  } else {
    for (std::size_t i = 0; i < columns.keyPositions.size(); ++i) {
      const std::size_t column = columns.keyPositions[i];
      text += (i ? ", " : "") + columns.names[column] + "=" + shown(column);
    }
  }
  const std::string_view cut = text::Utf8Prefix(text, kKeyTextCharacters);
  return cut.size() == text.size() ? text : std::string(cut) + "...";
}

void CompareRecordStreams(RecordStream& source, RecordStream& target,
                          const ComparedColumns& columns, std::int64_t refusedByCopy,
                          TableVerification& result,
                          const std::function<void(std::int64_t)>& onProgress) {
  Comparison(columns, refusedByCopy, result, onProgress).Run(source, target);
}

}  // namespace skerrow
