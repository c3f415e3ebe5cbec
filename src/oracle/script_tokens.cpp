#include "oracle/script_tokens.h"

#include "oracle/script_error.h"
#include "oracle/sql_characters.h"

namespace skerrow::oracle {

namespace {

char ClosingQuoteDelimiter(char open) {
  switch (open) {
    case '[':
      return ']';
    case '{':
      return '}';
    case '(':
      return ')';
    case '<':
      return '>';
    default:
      return open;
  }
}

int CountLines(std::string_view text, std::size_t from, std::size_t to) {
  int lines = 0;
  for (std::size_t i = from; i < to && i < text.size(); ++i)
    if (text[i] == '\n') ++lines;
  return lines;
}

}  // namespace

bool Token::IsWord(std::string_view keyword) const {
  return kind == TokenKind::Word && ToUpperAscii(text) == keyword;
}

std::string ToUpperAscii(std::string_view text) {
  std::string upper(text);
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return upper;
}

std::size_t QuoteLiteralPrefixLength(std::string_view text, std::size_t pos) {
  auto isQ = [&](std::size_t i) { return i < text.size() && (text[i] == 'q' || text[i] == 'Q'); };
  auto isN = [&](std::size_t i) { return i < text.size() && (text[i] == 'n' || text[i] == 'N'); };
  auto quoteAt = [&](std::size_t i) { return i < text.size() && text[i] == '\''; };
  if (isQ(pos) && quoteAt(pos + 1)) return 1;
  if (isN(pos) && isQ(pos + 1) && quoteAt(pos + 2)) return 2;
  return 0;
}

std::size_t SkipQuoted(std::string_view text, std::size_t pos) {
  if (std::size_t prefix = QuoteLiteralPrefixLength(text, pos); prefix > 0) {
    std::size_t open = pos + prefix + 1;
    if (open >= text.size()) return std::string_view::npos;
    char close = ClosingQuoteDelimiter(text[open]);
    for (std::size_t i = open + 1; i + 1 < text.size(); ++i)
      if (text[i] == close && text[i + 1] == '\'') return i + 2;
    return std::string_view::npos;
  }
  const char quote = text[pos];
  for (std::size_t i = pos + 1; i < text.size(); ++i) {
    if (text[i] != quote) continue;
    if (i + 1 < text.size() && text[i + 1] == quote) {
      ++i;  // a doubled quote stands for one
      continue;
    }
    return i + 1;
  }
  return std::string_view::npos;
}

std::vector<Token> Tokenize(std::string_view text, int firstLine) {
  std::vector<Token> tokens;
  int line = firstLine;
  std::size_t pos = 0;
  auto push = [&](TokenKind kind, std::string value, std::size_t begin, std::size_t end) {
    tokens.push_back(Token{kind, std::move(value), begin, end, line});
  };
  while (pos < text.size()) {
    const char c = text[pos];
    if (c == '\n') {
      ++line;
      ++pos;
      continue;
    }
    if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
      ++pos;
      continue;
    }
    if (c == '-' && pos + 1 < text.size() && text[pos + 1] == '-') {
      while (pos < text.size() && text[pos] != '\n') ++pos;
      continue;
    }
    if (c == '/' && pos + 1 < text.size() && text[pos + 1] == '*') {
      std::size_t close = text.find("*/", pos + 2);
      if (close == std::string_view::npos)
        throw StatementError(line, "a comment opened with /* is not closed");
      line += CountLines(text, pos, close);
      pos = close + 2;
      continue;
    }
    const std::size_t qPrefix = QuoteLiteralPrefixLength(text, pos);
    const bool national = (c == 'n' || c == 'N') && pos + 1 < text.size() && text[pos + 1] == '\'';
    if (c == '\'' || qPrefix > 0 || national) {
      const std::size_t quoteStart = national ? pos + 1 : pos;
      const std::size_t end = SkipQuoted(text, quoteStart);
      if (end == std::string_view::npos)
        throw StatementError(line, "a text literal is not closed by a quote (')");
      std::string value;
      TokenKind kind = TokenKind::String;
      if (qPrefix > 0) {
        value = std::string(text.substr(pos + qPrefix + 2, end - (pos + qPrefix + 2) - 2));
        if (qPrefix == 2) kind = TokenKind::NationalString;
      } else {
        if (national) kind = TokenKind::NationalString;
        for (std::size_t i = quoteStart + 1; i + 1 < end; ++i) {
          value.push_back(text[i]);
          if (text[i] == '\'') ++i;
        }
      }
      push(kind, std::move(value), pos, end);
      line += CountLines(text, pos, end);
      pos = end;
      continue;
    }
    if (c == '"') {
      const std::size_t end = SkipQuoted(text, pos);
      if (end == std::string_view::npos)
        throw StatementError(line, "a quoted name is not closed by a double quote (\")");
      std::string value;
      for (std::size_t i = pos + 1; i + 1 < end; ++i) {
        value.push_back(text[i]);
        if (text[i] == '"') ++i;
      }
      if (value.empty()) throw StatementError(line, "ORA-01741: illegal zero-length identifier");
      push(TokenKind::QuotedName, std::move(value), pos, end);
      line += CountLines(text, pos, end);
      pos = end;
      continue;
    }
    if (IsDigit(c) || (c == '.' && pos + 1 < text.size() && IsDigit(text[pos + 1]))) {
      std::size_t end = pos;
      while (end < text.size() && IsDigit(text[end])) ++end;
      if (end < text.size() && text[end] == '.' &&
          !(end + 1 < text.size() && text[end + 1] == '.')) {
        ++end;
        while (end < text.size() && IsDigit(text[end])) ++end;
      }
      if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
        std::size_t exponent = end + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) ++exponent;
        if (exponent < text.size() && IsDigit(text[exponent])) {
          end = exponent;
          while (end < text.size() && IsDigit(text[end])) ++end;
        }
      }
      std::string number(text.substr(pos, end - pos));
      // BINARY_FLOAT / BINARY_DOUBLE literal suffixes
      if (end < text.size() &&
          (text[end] == 'f' || text[end] == 'F' || text[end] == 'd' || text[end] == 'D') &&
          !(end + 1 < text.size() && IsWordPart(static_cast<unsigned char>(text[end + 1]))))
        ++end;
      push(TokenKind::Number, std::move(number), pos, end);
      pos = end;
      continue;
    }
    if (IsWordStart(static_cast<unsigned char>(c))) {
      std::size_t end = pos;
      while (end < text.size() && IsWordPart(static_cast<unsigned char>(text[end]))) ++end;
      push(TokenKind::Word, std::string(text.substr(pos, end - pos)), pos, end);
      pos = end;
      continue;
    }
    if (c == '|' && pos + 1 < text.size() && text[pos + 1] == '|') {
      push(TokenKind::Symbol, "||", pos, pos + 2);
      pos += 2;
      continue;
    }
    push(TokenKind::Symbol, std::string(1, c), pos, pos + 1);
    ++pos;
  }
  tokens.push_back(Token{TokenKind::End, {}, text.size(), text.size(), line});
  return tokens;
}

}  // namespace skerrow::oracle
