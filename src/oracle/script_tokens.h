#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace skerrow::oracle {

enum class TokenKind {
  Word,            // unquoted identifier or keyword, as written
  QuotedName,      // "..." with "" unescaped
  String,          // '...', q'[...]' with '' unescaped
  NationalString,  // N'...', NQ'[...]'
  Number,          // 12, 12.5, .5, 1e3
  Symbol,          // ( ) , . + - * / || = ; : and other single characters
  End,
};

struct Token {
  TokenKind kind = TokenKind::End;
  std::string text;
  std::size_t begin = 0;  // offsets into the statement text
  std::size_t end = 0;
  int line = 0;

  // Case-insensitive keyword test; only for unquoted words.
  bool IsWord(std::string_view keyword) const;
  bool IsSymbol(std::string_view symbol) const {
    return kind == TokenKind::Symbol && text == symbol;
  }
};

// Splits one statement into tokens, skipping comments; always ends with an End token.
// `firstLine` is the script line the text starts on. Throws StatementError for an unterminated
// string, quoted name or comment.
std::vector<Token> Tokenize(std::string_view text, int firstLine);

// Finds the end of a quoted part starting at text[pos] (a ', a " or the q of q'...'), or npos
// when it is not closed. Returns the offset just past the closing quote.
std::size_t SkipQuoted(std::string_view text, std::size_t pos);

// True when text[pos] starts a q'..' string (q, Q, nq, NQ followed by ').
std::size_t QuoteLiteralPrefixLength(std::string_view text, std::size_t pos);

std::string ToUpperAscii(std::string_view text);

}  // namespace skerrow::oracle
