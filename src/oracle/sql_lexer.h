#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace skerrow::oracle {

enum class TokenKind {
  Word,            // unquoted identifier or keyword, as written
  QuotedName,      // "..." with "" undoubled
  String,          // '...' with '' undoubled, q'[...]' as written inside the delimiters
  NationalString,  // N'...', NQ'[...]'
  Number,          // 12, 12.5, .5, 1e3; a BINARY_FLOAT/DOUBLE suffix (1.5f, 2d) is not in text
  Bind,            // :name or :1, text without the colon
  Symbol,          // ( ) , . + - * / = ; and the pairs || <= >= <> != ^= := => ..
  SlashLine,       // a line holding only "/": ends a statement or block in SQL*Plus
  End,
};

struct Token {
  TokenKind kind = TokenKind::End;
  std::string text;
  std::size_t begin = 0;  // offsets into the text that was lexed
  std::size_t end = 0;
  int line = 0;

  // An unquoted word compared without regard to ASCII case, e.g. IsWord("from").
  bool IsWord(std::string_view keyword) const;
  bool IsSymbol(std::string_view symbol) const {
    return kind == TokenKind::Symbol && text == symbol;
  }
  bool IsName() const { return kind == TokenKind::Word || kind == TokenKind::QuotedName; }
  // The name Oracle means: unquoted words upper-cased, quoted names verbatim; "" otherwise.
  std::string Name() const;
  // A number written with the f/d suffix of the binary floating-point types.
  bool HasBinarySuffix() const { return kind == TokenKind::Number && end - begin > text.size(); }
};

// Reads Oracle SQL (and the SQL of PL/SQL blocks) token by token. Blanks and comments are
// skipped. Throws StatementError with Oracle's message for an unterminated text literal
// (ORA-01756), a quoted name without its closing quote (ORA-01740), an empty quoted name
// (ORA-01741) or an unterminated /* comment (ORA-01742), a name longer than Oracle's 128 bytes
// (ORA-00972) and a quoted name holding NUL (ORA-00911).
class SqlLexer {
 public:
  // `checkNames` off: names are not held to Oracle's length limit (for finding where statements
  // end, before each is read on its own).
  explicit SqlLexer(std::string_view text, int firstLine = 1, bool checkNames = true)
      : text_(text), line_(firstLine), checkNames_(checkNames) {}

  Token Next();
  // Moves past blanks, line breaks and comments; the next token starts at Position().
  void SkipBlanksAndComments();
  std::size_t Position() const { return pos_; }
  int Line() const { return line_; }

 private:
  Token Make(TokenKind kind, std::string text, std::size_t begin, std::size_t end, int line);
  Token Quoted(std::size_t begin, std::size_t prefix, bool national);
  Token QuotedName(std::size_t begin);
  Token NumberToken(std::size_t begin);
  bool AtSlashLine() const;
  void Advance(std::size_t to);

  std::string_view text_;
  std::size_t pos_ = 0;
  int line_ = 1;
  bool checkNames_ = true;
};

// Every token of a text, ending with an End token.
std::vector<Token> Tokenize(std::string_view text, int firstLine = 1);

}  // namespace skerrow::oracle
