#include "cli/json_report.h"

#include <cstdint>
#include <ctime>
#include <iomanip>
#include <sstream>

namespace skerrow::cli {
namespace {

// Length of the valid UTF-8 sequence starting at `i`, or 0 when the bytes there are not one.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  std::size_t length = 0;
  std::uint32_t minimum = 0;
  std::uint32_t code = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, minimum = 0x80, code = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, minimum = 0x800, code = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, minimum = 0x10000, code = lead & 0x07u;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0u) != 0x80u) return 0;
    code = (code << 6) | (byte(i + k) & 0x3Fu);
  }
  if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

void AppendEscapedAscii(std::string& out, unsigned char c) {
  switch (c) {
    case '"':
      out += "\\\"";
      return;
    case '\\':
      out += "\\\\";
      return;
    case '\b':
      out += "\\b";
      return;
    case '\f':
      out += "\\f";
      return;
    case '\n':
      out += "\\n";
      return;
    case '\r':
      out += "\\r";
      return;
    case '\t':
      out += "\\t";
      return;
    default:
      break;
  }
  if (c < 0x20 || c == 0x7F) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += "\\u00";
    out += kHex[c >> 4];
    out += kHex[c & 0xF];
    return;
  }
  out += static_cast<char>(c);
}

std::string JsonOptional(const std::optional<std::string>& text) {
  return text ? JsonQuote(*text) : "null";
}

std::string JsonNonEmpty(const std::string& text) {
  return text.empty() ? "null" : JsonQuote(text);
}

void WriteTable(const TableReport& table, std::ostream& out) {
  out << "    {\n";
  out << "      \"sourceName\": " << JsonQuote(table.sourceName) << ",\n";
  out << "      \"createdName\": " << JsonOptional(table.createdName) << ",\n";
  out << "      \"createError\": " << JsonNonEmpty(table.createError) << ",\n";
  out << "      \"keyClauseAdded\": " << (table.keyClauseAdded ? "true" : "false") << ",\n";
  out << "      \"rowsRead\": " << table.rowsRead << ",\n";
  out << "      \"rowsWritten\": " << table.rowsWritten << ",\n";
  out << "      \"rowsRefused\": " << table.rowsRefused << ",\n";
  out << "      \"refusalMessages\": [";
  for (std::size_t i = 0; i < table.refusalMessages.size(); ++i) {
    out << (i ? ", " : "") << JsonQuote(table.refusalMessages[i]);
  }
  out << "],\n";
  out << "      \"abandoned\": " << JsonOptional(table.abandoned) << ",\n";
  out << "      \"succeeded\": " << (table.Succeeded() ? "true" : "false") << "\n";
  out << "    }";
}

}  // namespace

std::string JsonQuote(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out += '"';
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      AppendEscapedAscii(out, c);
      ++i;
    } else if (const std::size_t length = Utf8SequenceLength(text, i); length > 0) {
      out.append(text.substr(i, length));
      i += length;
    } else {
      out += "\\ufffd";
      ++i;
    }
  }
  out += '"';
  return out;
}

std::string FormatUtcTimestamp(std::chrono::system_clock::time_point time) {
  const auto millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
  auto seconds = static_cast<std::time_t>(millis / 1000);
  auto fraction = millis % 1000;
  if (fraction < 0) fraction += 1000, --seconds;
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  std::ostringstream text;
  text << std::put_time(&utc, "%Y-%m-%dT%H:%M:%S") << '.' << std::setw(3) << std::setfill('0')
       << fraction << 'Z';
  return text.str();
}

void WriteRunReportJson(const RunReport& report, std::ostream& out) {
  std::int64_t succeededTables = 0;
  for (const auto& table : report.tables) succeededTables += table.Succeeded() ? 1 : 0;

  out << "{\n";
  out << "  \"database\": " << JsonQuote(report.destinationDatabase) << ",\n";
  out << "  \"start\": " << JsonQuote(FormatUtcTimestamp(report.start)) << ",\n";
  out << "  \"end\": " << JsonQuote(FormatUtcTimestamp(report.end)) << ",\n";
  out << "  \"succeeded\": " << (report.Succeeded() ? "true" : "false") << ",\n";
  out << "  \"stopped\": " << (report.stopped ? "true" : "false") << ",\n";
  out << "  \"runError\": " << JsonNonEmpty(report.runError) << ",\n";
  out << "  \"totals\": {\n";
  out << "    \"tables\": " << report.tables.size() << ",\n";
  out << "    \"tablesSucceeded\": " << succeededTables << ",\n";
  out << "    \"rowsRead\": " << report.TotalRowsRead() << ",\n";
  out << "    \"rowsWritten\": " << report.TotalRowsWritten() << ",\n";
  out << "    \"rowsRefused\": " << report.TotalRowsRefused() << "\n";
  out << "  },\n";
  out << "  \"tables\": [";
  for (std::size_t i = 0; i < report.tables.size(); ++i) {
    out << (i ? ",\n" : "\n");
    WriteTable(report.tables[i], out);
  }
  out << (report.tables.empty() ? "]\n" : "\n  ]\n");
  out << "}\n";
}

}  // namespace skerrow::cli
