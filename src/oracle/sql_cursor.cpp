#include "oracle/sql_cursor.h"

#include "oracle/sql_error.h"
#include "text/utf8.h"

namespace skerrow::oracle {

std::string Describe(const Token& token) {
  switch (token.kind) {
    case TokenKind::End:
    case TokenKind::SlashLine:
      return "the end of the statement";
    case TokenKind::Bind:
      return "\":" + token.text + "\"";
    case TokenKind::QuotedName:
      return "\"" + token.text + "\"";
    case TokenKind::String:
    case TokenKind::NationalString:
      return "the text '" + std::string(text::Utf8Prefix(token.text, 40)) + "'";
    default:
      break;
  }
  // A stray control character (a NUL, a form feed, ...) is named, not printed.
  if (token.kind == TokenKind::Symbol && token.text.size() == 1 &&
      static_cast<unsigned char>(token.text[0]) < 0x20) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    const auto code = static_cast<unsigned char>(token.text[0]);
    return std::string("the control character 0x") + kHex[code >> 4] + kHex[code & 0xF];
  }
  return "\"" + token.text + "\"";
}

const Token& TokenCursor::Peek(std::size_t ahead) const {
  const std::size_t index = pos_ + ahead;
  return index < tokens_.size() ? tokens_[index] : tokens_.back();
}

const Token& TokenCursor::Next() {
  const Token& token = Peek();
  if (pos_ + 1 < tokens_.size()) ++pos_;
  return token;
}

const Token& TokenCursor::Previous() const {
  return tokens_[pos_ == 0 ? 0 : pos_ - 1];
}

bool TokenCursor::AcceptWord(std::string_view keyword) {
  if (!Peek().IsWord(keyword)) return false;
  Next();
  return true;
}

bool TokenCursor::AcceptSymbol(std::string_view symbol) {
  if (!Peek().IsSymbol(symbol)) return false;
  Next();
  return true;
}

void TokenCursor::ExpectWord(std::string_view keyword) {
  if (!AcceptWord(keyword)) FailUnexpected(std::string(keyword));
}

void TokenCursor::ExpectSymbol(std::string_view symbol) {
  if (!AcceptSymbol(symbol)) FailUnexpected("\"" + std::string(symbol) + "\"");
}

bool TokenCursor::PeekIsName(std::size_t ahead) const {
  return Peek(ahead).IsName();
}

std::string TokenCursor::Name(std::string_view what) {
  if (!Peek().IsName()) FailUnexpected(what);
  return Next().Name();
}

void TokenCursor::SkipParenthesised() {
  ExpectSymbol("(");
  int depth = 1;
  while (depth > 0) {
    if (AtEnd()) Fail("a \"(\" is not closed by \")\"");
    const Token& token = Next();
    if (token.IsSymbol("(")) ++depth;
    if (token.IsSymbol(")")) --depth;
  }
}

std::string TokenCursor::TextSince(std::size_t first, std::string_view statement) const {
  if (first >= pos_) return {};
  const std::size_t begin = tokens_[first].begin;
  const std::size_t end = Peek().begin;
  return std::string(statement.substr(begin, end - begin));
}

void TokenCursor::Fail(const std::string& message) const {
  throw StatementError(Peek().line, message);
}

void TokenCursor::FailUnexpected(std::string_view expected) const {
  Fail("expected " + std::string(expected) + " but found " + Describe(Peek()));
}

}  // namespace skerrow::oracle
