#include "oracle/loader/script_splitter.h"

#include <array>

#include "oracle/sql_error.h"
#include "oracle/sql_lexer.h"
#include "text/ascii.h"

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

std::size_t LineEnd(std::string_view text, std::size_t from) {
  const std::size_t end = text.find('\n', from);
  return end == std::string_view::npos ? text.size() : end;
}

bool IsSlashLine(std::string_view line) {
  return text::TrimmedView(line) == "/";
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
    words.push_back(text::ToUpperAscii(text.substr(pos, end - pos)));
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
  std::size_t pos = 0;
  int line = 1;
  const auto nextLine = [&] {
    pos = LineEnd(script, pos);
    if (pos < script.size()) {
      ++pos;
      ++line;
    }
  };
  while (true) {
    SqlLexer blanks(script.substr(pos), line);
    blanks.SkipBlanksAndComments();
    pos += blanks.Position();
    line = blanks.Line();
    if (pos >= script.size()) break;
    const int startLine = line;
    const std::size_t start = pos;
    const std::string_view lineText = script.substr(pos, LineEnd(script, pos) - pos);

    if (IsSlashLine(lineText)) {  // runs the buffer again: nothing to do here
      nextLine();
      continue;
    }
    if (IsSqlPlusCommand(lineText)) {
      std::string command;
      while (true) {
        const std::string_view part =
            text::TrimmedView(script.substr(pos, LineEnd(script, pos) - pos));
        nextLine();
        if (part.ends_with("-") && pos < script.size()) {
          command.append(part.substr(0, part.size() - 1));
          continue;
        }
        command.append(part);
        break;
      }
      units.push_back({ScriptUnit::Kind::SqlPlus, command, startLine});
      // SQL*Plus reads nothing after EXIT: what follows may be anything and is not split.
      if (const auto words = LeadingWords(command, 1);
          !words.empty() && (words[0] == "EXIT" || words[0] == "QUIT"))
        break;
      continue;
    }
    if (StartsPlSql(script.substr(start))) {
      // SQL*Plus reads a block line by line up to a line holding only "/", whatever the lines
      // hold.
      while (true) {
        nextLine();
        if (pos >= script.size())
          throw StatementError(startLine,
                               "the PL/SQL block starting here is not ended by a line holding "
                               "only \"/\"");
        if (IsSlashLine(script.substr(pos, LineEnd(script, pos) - pos))) break;
      }
      units.push_back({ScriptUnit::Kind::PlSqlBlock,
                       std::string(text::TrimmedView(script.substr(start, pos - start))),
                       startLine});
      nextLine();
      continue;
    }
    // A SQL statement: its tokens up to a ";" or a "/" line.
    SqlLexer lexer(script.substr(start), startLine, false);
    std::size_t statementEnd = 0;
    while (true) {
      const Token token = lexer.Next();
      if (token.kind == TokenKind::End)
        throw StatementError(startLine,
                             "the statement starting here is not ended by \";\" or a \"/\" line");
      if (token.IsSymbol(";") || token.kind == TokenKind::SlashLine) {
        statementEnd = token.begin;
        break;
      }
    }
    units.push_back(
        {ScriptUnit::Kind::Sql, std::string(script.substr(start, statementEnd)), startLine});
    pos = start + lexer.Position();
    line = lexer.Line();
  }
  return units;
}

}  // namespace skerrow::oracle
