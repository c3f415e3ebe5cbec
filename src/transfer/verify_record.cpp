#include "transfer/verify_record.h"

#include <cstring>

namespace skerrow {

namespace {

int CompareBytes(std::string_view a, std::string_view b) {
  const int order = a.compare(b);
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

void AppendLength(std::string& out, std::size_t length) {
  const auto value = static_cast<std::uint32_t>(length);
  for (int shift = 0; shift < 32; shift += 8)
    out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

// Reads a length at `pos`; false when the bytes end first.
bool ReadLength(std::string_view bytes, std::size_t& pos, std::uint32_t& length) {
  if (bytes.size() - pos < 4) return false;
  length = 0;
  for (int i = 0; i < 4; ++i)
    length |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[pos + i])) << (8 * i);
  pos += 4;
  return true;
}

bool ReadText(std::string_view bytes, std::size_t& pos, std::string& text) {
  std::uint32_t length = 0;
  if (!ReadLength(bytes, pos, length) || bytes.size() - pos < length) return false;
  text.assign(bytes.substr(pos, length));
  pos += length;
  return true;
}

void AppendText(std::string& out, std::string_view text) {
  AppendLength(out, text.size());
  out += text;
}

}  // namespace

int CompareRecords(const RowRecord& a, const RowRecord& b) {
  if (const int byKey = CompareBytes(a.key, b.key)) return byKey;
  return CompareBytes(a.row, b.row);
}

void EncodeRowValue(std::string& row, const CanonicalValue& value) {
  if (!value) {
    row.push_back('\0');
    return;
  }
  row.push_back('\x01');
  AppendText(row, *value);
}

std::optional<std::vector<CanonicalValue>> DecodeRow(std::string_view row) {
  std::vector<CanonicalValue> values;
  std::size_t pos = 0;
  while (pos < row.size()) {
    const char marker = row[pos++];
    if (marker == '\0') {
      values.emplace_back();
      continue;
    }
    std::string value;
    if (marker != '\x01' || !ReadText(row, pos, value)) return std::nullopt;
    values.emplace_back(std::move(value));
  }
  return values;
}

std::string SourceRowNotes::Encode() const {
  std::string bytes;
  if (Empty()) return bytes;
  bytes.push_back(refusal ? '\x01' : '\0');
  if (refusal) AppendText(bytes, *refusal);
  AppendLength(bytes, rounded.size());
  for (const auto& [column, source] : rounded) {
    AppendLength(bytes, column);
    AppendText(bytes, source);
  }
  return bytes;
}

SourceRowNotes SourceRowNotes::Decode(std::string_view bytes) {
  SourceRowNotes notes;
  if (bytes.empty()) return notes;
  std::size_t pos = 1;
  if (bytes[0] == '\x01') {
    std::string reason;
    if (!ReadText(bytes, pos, reason)) return notes;
    notes.refusal = std::move(reason);
  }
  std::uint32_t count = 0;
  if (!ReadLength(bytes, pos, count)) return notes;
  for (std::uint32_t i = 0; i < count; ++i) {
    std::uint32_t column = 0;
    std::string source;
    if (!ReadLength(bytes, pos, column) || !ReadText(bytes, pos, source)) break;
    notes.rounded.emplace_back(column, std::move(source));
  }
  return notes;
}

}  // namespace skerrow
