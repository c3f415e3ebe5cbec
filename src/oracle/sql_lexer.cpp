#include "oracle/sql_lexer.h"

#include "oracle/sql_characters.h"
#include "oracle/sql_error.h"
#include "text/ascii.h"
#include "text/utf8.h"

namespace skerrow::oracle {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

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

// Length of the q-quote prefix at `pos` (q' or nq'), 0 when there is none.
std::size_t QuotePrefixLength(std::string_view text, std::size_t pos) {
  const auto is = [&](std::size_t i, char lower) {
    return i < text.size() && (text[i] == lower || text[i] == lower - 'a' + 'A');
  };
  const auto quoteAt = [&](std::size_t i) { return i < text.size() && text[i] == '\''; };
  if (is(pos, 'q') && quoteAt(pos + 1)) return 1;
  if (is(pos, 'n') && is(pos + 1, 'q') && quoteAt(pos + 2)) return 2;
  return 0;
}

constexpr std::string_view kPairs[] = {"||", "<=", ">=", "<>", "!=", "^=", ":=", "=>", ".."};

// Oracle's limit for the name of anything (12.2 and later): ORA-00972 beyond it.
constexpr std::size_t kMaxIdentifierBytes = 128;

void CheckIdentifierLength(std::string_view name, int line) {
  if (name.size() <= kMaxIdentifierBytes) return;
  throw StatementError(line, "ORA-00972: identifier is too long (" +
                                 std::string(text::Utf8Prefix(name, 30)) + "... has " +
                                 std::to_string(name.size()) + " bytes, at most " +
                                 std::to_string(kMaxIdentifierBytes) + ")");
}

}  // namespace

bool Token::IsWord(std::string_view keyword) const {
  return kind == TokenKind::Word && text::EqualsIgnoringAsciiCase(text, keyword);
}

std::string Token::Name() const {
  if (kind == TokenKind::Word) return text::ToUpperAscii(text);
  if (kind == TokenKind::QuotedName) return text;
  return {};
}

Token SqlLexer::Make(TokenKind kind, std::string value, std::size_t begin, std::size_t end,
                     int line) {
  return Token{kind, std::move(value), begin, end, line};
}

void SqlLexer::Advance(std::size_t to) {
  for (; pos_ < to && pos_ < text_.size(); ++pos_)
    if (text_[pos_] == '\n') ++line_;
}

void SqlLexer::SkipBlanksAndComments() {
  while (pos_ < text_.size()) {
    const char c = text_[pos_];
    if (c == '\n' || IsBlank(c)) {
      Advance(pos_ + 1);
    } else if (text_.substr(pos_, 2) == "--") {
      const auto end = text_.find('\n', pos_);
      Advance(end == std::string_view::npos ? text_.size() : end);
    } else if (text_.substr(pos_, 2) == "/*") {
      const auto close = text_.find("*/", pos_ + 2);
      if (close == std::string_view::npos)
        throw StatementError(line_,
                             "ORA-01742: comment not terminated properly (a comment opened with "
                             "/* is not closed by */)");
      Advance(close + 2);
    } else {
      return;
    }
  }
}

bool SqlLexer::AtSlashLine() const {
  if (text_[pos_] != '/') return false;
  for (std::size_t i = pos_; i > 0 && text_[i - 1] != '\n'; --i)
    if (!IsBlank(text_[i - 1])) return false;
  for (std::size_t i = pos_ + 1; i < text_.size() && text_[i] != '\n'; ++i)
    if (!IsBlank(text_[i])) return false;
  return true;
}

Token SqlLexer::Quoted(std::size_t begin, std::size_t prefix, bool national) {
  const int line = line_;
  const auto unterminated = [&] {
    return StatementError(line,
                          "ORA-01756: quoted string not properly terminated (a text literal is "
                          "not closed by a quote)");
  };
  const TokenKind kind = national ? TokenKind::NationalString : TokenKind::String;
  std::string value;
  if (prefix > 0) {
    // q'<delimiter>...<closing delimiter>': the text between the delimiters, as written.
    const std::size_t open = begin + prefix + 1;
    if (open >= text_.size()) throw unterminated();
    const char close = ClosingQuoteDelimiter(text_[open]);
    std::size_t i = open + 1;
    while (i + 1 < text_.size() && !(text_[i] == close && text_[i + 1] == '\'')) ++i;
    if (i + 1 >= text_.size()) throw unterminated();
    value = std::string(text_.substr(open + 1, i - open - 1));
    Advance(i + 2);
    return Make(kind, std::move(value), begin, pos_, line);
  }
  std::size_t i = begin + (national ? 2 : 1);
  while (true) {
    if (i >= text_.size()) throw unterminated();
    if (text_[i] == '\'') {
      if (i + 1 < text_.size() && text_[i + 1] == '\'') {
        value += '\'';
        i += 2;
        continue;
      }
      break;
    }
    value += text_[i++];
  }
  Advance(i + 1);
  return Make(kind, std::move(value), begin, pos_, line);
}

Token SqlLexer::QuotedName(std::size_t begin) {
  const int line = line_;
  std::string value;
  std::size_t i = begin + 1;
  while (true) {
    if (i >= text_.size())
      throw StatementError(line,
                           "ORA-01740: missing double quote in identifier (a quoted name is not "
                           "closed by a double quote)");
    if (text_[i] == '"') {
      if (i + 1 < text_.size() && text_[i + 1] == '"') {
        value += '"';
        i += 2;
        continue;
      }
      break;
    }
    value += text_[i++];
  }
  if (value.empty()) throw StatementError(line, "ORA-01741: illegal zero-length identifier");
  if (checkNames_) {
    if (value.find('\0') != std::string::npos)
      throw StatementError(line,
                           "ORA-00911: invalid character (a quoted name cannot hold the "
                           "character NUL)");
    CheckIdentifierLength(value, line);
  }
  Advance(i + 1);
  return Make(TokenKind::QuotedName, std::move(value), begin, pos_, line);
}

Token SqlLexer::NumberToken(std::size_t begin) {
  std::size_t end = begin;
  while (end < text_.size() && IsDigit(text_[end])) ++end;
  // "1..10" is a range of a FOR loop, not the number "1.".
  if (end < text_.size() && text_[end] == '.' &&
      !(end + 1 < text_.size() && text_[end + 1] == '.')) {
    ++end;
    while (end < text_.size() && IsDigit(text_[end])) ++end;
  }
  if (end < text_.size() && (text_[end] == 'e' || text_[end] == 'E')) {
    std::size_t exponent = end + 1;
    if (exponent < text_.size() && (text_[exponent] == '+' || text_[exponent] == '-')) ++exponent;
    if (exponent < text_.size() && IsDigit(text_[exponent])) {
      end = exponent;
      while (end < text_.size() && IsDigit(text_[end])) ++end;
    }
  }
  std::string number(text_.substr(begin, end - begin));
  const auto isSuffix = [](char c) { return c == 'f' || c == 'F' || c == 'd' || c == 'D'; };
  if (end < text_.size() && isSuffix(text_[end]) &&
      !(end + 1 < text_.size() && IsWordPart(static_cast<unsigned char>(text_[end + 1]))))
    ++end;
  const int line = line_;
  Advance(end);
  return Make(TokenKind::Number, std::move(number), begin, end, line);
}

Token SqlLexer::Next() {
  SkipBlanksAndComments();
  const std::size_t begin = pos_;
  const int line = line_;
  if (pos_ >= text_.size()) return Make(TokenKind::End, {}, text_.size(), text_.size(), line);
  const char c = text_[pos_];
  if (c == '\'') return Quoted(begin, 0, false);
  if (const std::size_t prefix = QuotePrefixLength(text_, pos_); prefix > 0)
    return Quoted(begin, prefix, prefix == 2);
  if ((c == 'n' || c == 'N') && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\'')
    return Quoted(begin, 0, true);
  if (c == '"') return QuotedName(begin);
  if (IsDigit(c) || (c == '.' && pos_ + 1 < text_.size() && IsDigit(text_[pos_ + 1])))
    return NumberToken(begin);
  if (IsWordStart(static_cast<unsigned char>(c))) {
    std::size_t end = pos_;
    while (end < text_.size() && IsWordPart(static_cast<unsigned char>(text_[end]))) ++end;
    if (checkNames_) CheckIdentifierLength(text_.substr(begin, end - begin), line);
    Advance(end);
    return Make(TokenKind::Word, std::string(text_.substr(begin, end - begin)), begin, end, line);
  }
  if (c == ':' && pos_ + 1 < text_.size() &&
      (IsWordStart(static_cast<unsigned char>(text_[pos_ + 1])) || IsDigit(text_[pos_ + 1]))) {
    std::size_t end = pos_ + 1;
    while (end < text_.size() && IsWordPart(static_cast<unsigned char>(text_[end]))) ++end;
    Advance(end);
    return Make(TokenKind::Bind, std::string(text_.substr(begin + 1, end - begin - 1)), begin, end,
                line);
  }
  if (AtSlashLine()) {
    Advance(pos_ + 1);
    return Make(TokenKind::SlashLine, "/", begin, pos_, line);
  }
  const std::string_view pair = text_.substr(pos_, 2);
  for (std::string_view known : kPairs) {
    if (pair == known) {
      Advance(pos_ + 2);
      return Make(TokenKind::Symbol, std::string(pair), begin, pos_, line);
    }
  }
  Advance(pos_ + 1);
  return Make(TokenKind::Symbol, std::string(1, c), begin, pos_, line);
}

std::vector<Token> Tokenize(std::string_view text, int firstLine) {
  SqlLexer lexer(text, firstLine);
  std::vector<Token> tokens;
  do {
    tokens.push_back(lexer.Next());
  } while (tokens.back().kind != TokenKind::End);
  return tokens;
}

}  // namespace skerrow::oracle
