#include "oracle/script_splitter.h"

#include <array>

#include "oracle/script_error.h"
#include "oracle/script_tokens.h"
#include "oracle/sql_characters.h"

namespace skerrow::oracle {

namespace {

constexpr std::array kSqlPlusCommands = {
    "SET",      "PROMPT",  "PRO",      "REM",        "REMARK",    "SPOOL",     "SPO",
    "WHENEVER", "DEFINE",  "DEF",      "UNDEFINE",   "COLUMN",    "COL",       "EXIT",
    "QUIT",     "SHOW",    "SHO",      "CLEAR",      "CL",        "TTITLE",    "BTITLE",
    "BREAK",    "COMPUTE", "PAUSE",    "ACCEPT",     "HOST",      "EXECUTE",   "EXEC",
    "DESCRIBE", "DESC",    "VARIABLE", "VAR",        "PRINT",     "TIMING",    "STORE",
    "START",    "CONNECT", "CONN",     "DISCONNECT", "DISC",      "SPOOL",     "PASSWORD",
    "ARCHIVE",  "STARTUP", "SHUTDOWN", "RECOVER",    "ATTRIBUTE", "REPHEADER", "REPFOOTER",
    "XQUERY",   "COPY",    "APPEND",   "SAVE",       "GET",       "EDIT",      "ED",
    "RUN",      "INPUT",   "LIST",     "CHANGE",     "DEL",       "HELP"};

// Program units whose bodies hold ";" and so end at a "/" line.
constexpr std::array kProgramUnits = {"PROCEDURE", "FUNCTION", "PACKAGE", "TRIGGER",
                                      "TYPE",      "LIBRARY",  "JAVA"};

struct Scanner {
  std::string_view text;
  std::size_t pos = 0;
  int line = 1;

  bool AtEnd() const { return pos >= text.size(); }

  std::size_t LineEnd(std::size_t from) const {
    std::size_t end = text.find('\n', from);
    return end == std::string_view::npos ? text.size() : end;
  }

  std::string_view RestOfLine() const { return text.substr(pos, LineEnd(pos) - pos); }

  // Moves to the start of the next line.
  void NextLine() {
    pos = LineEnd(pos);
    if (pos < text.size()) {
      ++pos;
      ++line;
    }
  }

  void SkipBlanksAndComments() {
    while (pos < text.size()) {
      char c = text[pos];
      if (c == '\n') {
        ++line;
        ++pos;
      } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
        ++pos;
      } else if (text.substr(pos, 2) == "--") {
        pos = LineEnd(pos);
      } else if (text.substr(pos, 2) == "/*") {
        std::size_t close = text.find("*/", pos + 2);
        if (close == std::string_view::npos)
          throw StatementError(line, "a comment opened with /* is not closed");
        for (std::size_t i = pos; i < close; ++i)
          if (text[i] == '\n') ++line;
        pos = close + 2;
      } else {
        return;
      }
    }
  }
};

std::string_view Trim(std::string_view text) {
  const char* blanks = " \t\r\f\v";
  std::size_t first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

bool IsSlashLine(std::string_view line) {
  return Trim(line) == "/";
}

// The leading words of a text, upper-cased, for recognising what a unit is.
std::vector<std::string> LeadingWords(std::string_view text, std::size_t count) {
  std::vector<std::string> words;
  std::size_t pos = 0;
  while (words.size() < count && pos < text.size()) {
    while (pos < text.size() &&
           (text[pos] == ' ' || text[pos] == '\t' || text[pos] == '\r' || text[pos] == '\n'))
      ++pos;
    std::size_t end = pos;
    while (end < text.size()) {
      unsigned char c = static_cast<unsigned char>(text[end]);
      bool wordChar = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                      c == '_' || c == '$' || c == '#';
      if (!wordChar) break;
      ++end;
    }
    if (end == pos) break;
    words.push_back(ToUpperAscii(text.substr(pos, end - pos)));
    pos = end;
  }
  return words;
}

bool IsSqlPlusCommand(std::string_view lineText) {
  if (lineText.starts_with("@")) return true;
  auto words = LeadingWords(lineText, 1);
  if (words.empty()) return false;
  for (const char* command : kSqlPlusCommands)
    if (words[0] == command) return true;
  return false;
}

bool StartsPlSql(std::string_view text) {
  auto words = LeadingWords(text, 6);
  if (words.empty()) return false;
  if (words[0] == "BEGIN" || words[0] == "DECLARE") return true;
  if (words[0] != "CREATE") return false;
  std::size_t i = 1;
  if (i + 1 < words.size() && words[i] == "OR" && words[i + 1] == "REPLACE") i += 2;
  if (i < words.size() && (words[i] == "EDITIONABLE" || words[i] == "NONEDITIONABLE")) ++i;
  if (i >= words.size()) return false;
  for (const char* unit : kProgramUnits)
    if (words[i] == unit) return true;
  return false;
}

}  // namespace

std::vector<ScriptUnit> SplitScript(std::string_view script) {
  std::vector<ScriptUnit> units;
  Scanner scanner{script};
  while (true) {
    scanner.SkipBlanksAndComments();
    if (scanner.AtEnd()) break;
    const int startLine = scanner.line;
    const std::size_t start = scanner.pos;
    std::string_view lineText = scanner.RestOfLine();

    if (IsSlashLine(lineText)) {  // runs the buffer again: nothing to do here
      scanner.NextLine();
      continue;
    }
    if (IsSqlPlusCommand(lineText)) {
      std::string command;
      while (true) {
        std::string_view part = Trim(scanner.RestOfLine());
        scanner.NextLine();
        if (part.ends_with("-") && !scanner.AtEnd()) {
          command.append(part.substr(0, part.size() - 1));
          continue;
        }
        command.append(part);
        break;
      }
      units.push_back({ScriptUnit::Kind::SqlPlus, command, startLine});
      continue;
    }
    if (StartsPlSql(script.substr(start))) {
      // Runs to the next line that holds only "/".
      while (true) {
        scanner.NextLine();
        if (scanner.AtEnd())
          throw StatementError(startLine,
                               "the PL/SQL block starting here is not ended by a line holding "
                               "only \"/\"");
        if (IsSlashLine(scanner.RestOfLine())) break;
      }
      units.push_back({ScriptUnit::Kind::PlSqlBlock,
                       std::string(Trim(script.substr(start, scanner.pos - start))), startLine});
      scanner.NextLine();
      continue;
    }
    // A SQL statement: up to ";" outside quotes and comments, or a "/" line.
    std::size_t pos = start;
    int line = startLine;
    bool atLineStart = false;
    bool ended = false;
    std::size_t statementEnd = script.size();
    while (pos < script.size()) {
      if (atLineStart) {
        std::size_t lineEnd = scanner.LineEnd(pos);
        if (IsSlashLine(script.substr(pos, lineEnd - pos))) {
          statementEnd = pos;
          pos = lineEnd;
          ended = true;
          break;
        }
        atLineStart = false;
      }
      const char c = script[pos];
      if (c == '\n') {
        ++line;
        ++pos;
        atLineStart = true;
      } else if (c == ';') {
        statementEnd = pos;
        ++pos;
        ended = true;
        break;
      } else if (script.substr(pos, 2) == "--") {
        pos = scanner.LineEnd(pos);
      } else if (script.substr(pos, 2) == "/*") {
        std::size_t close = script.find("*/", pos + 2);
        if (close == std::string_view::npos)
          throw StatementError(line, "a comment opened with /* is not closed");
        for (std::size_t i = pos; i < close; ++i)
          if (script[i] == '\n') ++line;
        pos = close + 2;
      } else if (c == '\'' || c == '"' ||
                 (QuoteLiteralPrefixLength(script, pos) > 0 &&
                  (pos == 0 || !IsWordPart(script[pos - 1])))) {
        std::size_t end = SkipQuoted(script, pos);
        if (end == std::string_view::npos)
          throw StatementError(line, c == '"' ? "a quoted name is not closed by a double quote (\")"
                                              : "a text literal is not closed by a quote (')");
        for (std::size_t i = pos; i < end; ++i)
          if (script[i] == '\n') ++line;
        pos = end;
      } else {
        ++pos;
      }
    }
    if (!ended)
      throw StatementError(startLine,
                           "the statement starting here is not ended by \";\" or a \"/\" line");
    units.push_back({ScriptUnit::Kind::Sql, std::string(script.substr(start, statementEnd - start)),
                     startLine});
    scanner.pos = pos;
    scanner.line = line;
  }
  return units;
}

}  // namespace skerrow::oracle
