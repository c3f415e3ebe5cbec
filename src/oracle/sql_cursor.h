#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "oracle/sql_lexer.h"

namespace skerrow::oracle {

// Walks the tokens of one statement for the parsers of scripts and queries; every complaint is a
// StatementError on the line of the token it is about.
class TokenCursor {
 public:
  explicit TokenCursor(const std::vector<Token>& tokens) : tokens_(tokens) {}

  const Token& Peek(std::size_t ahead = 0) const;
  const Token& Next();
  // The token before the current one (the current one at the start).
  const Token& Previous() const;
  bool AtEnd() const { return Peek().kind == TokenKind::End; }
  std::size_t Position() const { return pos_; }
  // Back (or on) to a position Position() gave, to read the same tokens again.
  void Seek(std::size_t position) {
    pos_ = position < tokens_.size() ? position : tokens_.size() - 1;
  }
  const std::vector<Token>& Tokens() const { return tokens_; }

  bool AcceptWord(std::string_view keyword);
  bool AcceptSymbol(std::string_view symbol);
  void ExpectWord(std::string_view keyword);
  void ExpectSymbol(std::string_view symbol);

  // A name as Oracle stores it: unquoted upper-cased, quoted verbatim. `what` says what was
  // expected ("table name") for the error.
  std::string Name(std::string_view what);
  bool PeekIsName(std::size_t ahead = 0) const;

  // Skips a balanced parenthesised group starting at the current "(".
  void SkipParenthesised();
  // The source text of the tokens from `first` up to (not including) the current token.
  std::string TextSince(std::size_t first, std::string_view statement) const;

  [[noreturn]] void Fail(const std::string& message) const;
  // "... at "X"" naming the current token.
  [[noreturn]] void FailUnexpected(std::string_view expected) const;

 private:
  const std::vector<Token>& tokens_;
  std::size_t pos_ = 0;
};

// How a token reads in an error message.
std::string Describe(const Token& token);

}  // namespace skerrow::oracle
