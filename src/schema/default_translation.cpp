#include "schema/default_translation.h"

#include <iterator>
#include <vector>

#include "db/variant.h"
#include "text/ascii.h"
#include "transfer/number_literals.h"

namespace skerrow {

namespace {

struct Token {
  enum class Kind { String, Number, Word, QuotedName, Symbol };
  Kind kind = Kind::Symbol;
  std::string text;  // a string's value, a number's digits, a word as written, a symbol

  bool IsSymbol(char c) const { return kind == Kind::Symbol && text.size() == 1 && text[0] == c; }
  bool IsWord(std::string_view word) const {
    return kind == Kind::Word && text::EqualsIgnoringAsciiCase(text, word);
  }
};

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsWordStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || static_cast<unsigned char>(c) >= 0x80;
}

bool IsWordPart(char c) {
  return IsWordStart(c) || IsDigit(c) || c == '_' || c == '$' || c == '#';
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
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

// Splits a default's text into tokens, leaving out blanks and comments. nullopt when the text
// is not one Oracle could have kept (a literal or comment that never ends).
class DefaultLexer {
 public:
  explicit DefaultLexer(std::string_view text) : text_(text) {}

  std::optional<std::vector<Token>> Tokens() {
    std::vector<Token> tokens;
    while (at_ < text_.size()) {
      const char c = text_[at_];
      if (IsBlank(c)) {
        ++at_;
      } else if (Starts("--")) {
        while (at_ < text_.size() && text_[at_] != '\n') ++at_;
      } else if (Starts("/*")) {
        const auto end = text_.find("*/", at_ + 2);
        if (end == std::string_view::npos) return std::nullopt;
        at_ = end + 2;
      } else if (c == '\'') {
        if (!PlainString(tokens)) return std::nullopt;
      } else if (IsQuotePrefix()) {
        if (!PrefixedString(tokens)) return std::nullopt;
      } else if (IsDigit(c) || (c == '.' && at_ + 1 < text_.size() && IsDigit(text_[at_ + 1]))) {
        tokens.push_back({Token::Kind::Number, Number()});
      } else if (IsWordStart(c)) {
        const std::size_t from = at_;
        while (at_ < text_.size() && IsWordPart(text_[at_])) ++at_;
        tokens.push_back({Token::Kind::Word, std::string(text_.substr(from, at_ - from))});
      } else if (c == '"') {
        const auto end = text_.find('"', at_ + 1);
        if (end == std::string_view::npos) return std::nullopt;
        tokens.push_back(
            {Token::Kind::QuotedName, std::string(text_.substr(at_ + 1, end - at_ - 1))});
        at_ = end + 1;
      } else {
        tokens.push_back({Token::Kind::Symbol, std::string(1, c)});
        ++at_;
      }
    }
    return tokens;
  }

 private:
  bool Starts(std::string_view prefix) const { return text_.substr(at_).starts_with(prefix); }

  // N'...', Q'[...]', NQ'{...}': a letter or two, then the quote.
  bool IsQuotePrefix() const {
    std::size_t i = at_;
    if (i < text_.size() && (text_[i] == 'N' || text_[i] == 'n')) ++i;
    if (i < text_.size() && (text_[i] == 'Q' || text_[i] == 'q')) ++i;
    return i > at_ && i < text_.size() && text_[i] == '\'';
  }

  bool PlainString(std::vector<Token>& tokens) {
    std::string value;
    for (++at_; at_ < text_.size(); ++at_) {
      if (text_[at_] != '\'') {
        value.push_back(text_[at_]);
      } else if (at_ + 1 < text_.size() && text_[at_ + 1] == '\'') {
        value.push_back('\'');
        ++at_;
      } else {
        ++at_;
        tokens.push_back({Token::Kind::String, std::move(value)});
        return true;
      }
    }
    return false;
  }

  bool PrefixedString(std::vector<Token>& tokens) {
    bool alternative = false;
    while (text_[at_] != '\'') {
      if (text_[at_] == 'Q' || text_[at_] == 'q') alternative = true;
      ++at_;
    }
    if (!alternative) return PlainString(tokens);
    // q'<delimiter>...<closing delimiter>'
    if (at_ + 1 >= text_.size()) return false;
    const char close = ClosingQuoteDelimiter(text_[at_ + 1]);
    const std::size_t from = at_ + 2;
    for (std::size_t i = from; i + 1 < text_.size(); ++i) {
      if (text_[i] == close && text_[i + 1] == '\'') {
        tokens.push_back({Token::Kind::String, std::string(text_.substr(from, i - from))});
        at_ = i + 2;
        return true;
      }
    }
    return false;
  }

  // Digits, a point, an exponent; a binary float's f or d suffix is read over.
  std::string Number() {
    const std::size_t from = at_;
    while (at_ < text_.size() && (IsDigit(text_[at_]) || text_[at_] == '.')) ++at_;
    if (at_ < text_.size() && (text_[at_] == 'e' || text_[at_] == 'E')) {
      std::size_t i = at_ + 1;
      if (i < text_.size() && (text_[i] == '+' || text_[i] == '-')) ++i;
      if (i < text_.size() && IsDigit(text_[i])) {
        at_ = i;
        while (at_ < text_.size() && IsDigit(text_[at_])) ++at_;
      }
    }
    std::string number(text_.substr(from, at_ - from));
    if (at_ < text_.size() &&
        (text_[at_] == 'f' || text_[at_] == 'F' || text_[at_] == 'd' || text_[at_] == 'D') &&
        (at_ + 1 == text_.size() || !IsWordPart(text_[at_ + 1])))
      ++at_;
    return number;
  }

  std::string_view text_;
  std::size_t at_ = 0;
};

// [brackets and signs] number [brackets], the brackets only enclosing the number: the
// number with its sign; nullopt for any other expression.
std::optional<std::string> SignedNumber(const std::vector<Token>& tokens) {
  std::size_t i = 0;
  int open = 0;
  bool negative = false;
  for (; i < tokens.size() && tokens[i].kind == Token::Kind::Symbol; ++i) {
    if (tokens[i].IsSymbol('('))
      ++open;
    else if (tokens[i].IsSymbol('-'))
      negative = !negative;
    else if (!tokens[i].IsSymbol('+'))
      return std::nullopt;
  }
  if (i >= tokens.size() || tokens[i].kind != Token::Kind::Number) return std::nullopt;
  const std::string& digits = tokens[i].text;
  int close = 0;
  for (++i; i < tokens.size(); ++i) {
    if (!tokens[i].IsSymbol(')')) return std::nullopt;
    ++close;
  }
  if (open != close) return std::nullopt;
  return (negative ? "-" : "") + digits;
}

// The tokens inside the brackets that enclose all of them, in one pass however deep they nest.
std::vector<Token> WithoutEnclosingBrackets(std::vector<Token> tokens) {
  // For each "(" the position of its ")"; unmatched ones keep npos.
  std::vector<std::size_t> closing(tokens.size(), std::string::npos);
  std::vector<std::size_t> open;
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    if (tokens[i].IsSymbol('(')) {
      open.push_back(i);
    } else if (tokens[i].IsSymbol(')') && !open.empty()) {
      closing[open.back()] = i;
      open.pop_back();
    }
  }
  std::size_t first = 0;
  std::size_t end = tokens.size();
  while (end - first >= 2 && closing[first] == end - 1) {
    ++first;
    --end;
  }
  return std::vector<Token>(std::make_move_iterator(tokens.begin() + static_cast<long>(first)),
                            std::make_move_iterator(tokens.begin() + static_cast<long>(end)));
}

DefaultTranslation Quoted(const std::string& value, const SqlEscaper& escape) {
  return {"DEFAULT '" + escape(value) + "'", std::nullopt};
}

DefaultTranslation NotALiteral() {
  return {"", std::string("it is not a literal, and MySQL takes only literal column defaults "
                          "here")};
}

}  // namespace

DefaultTranslation TranslateDefault(std::string_view oracleText, const SqlEscaper& escape) {
  std::optional<std::vector<Token>> lexed = DefaultLexer(oracleText).Tokens();
  if (!lexed) return {"", std::string("its text does not end as an expression does")};
  if (lexed->empty()) return {};
  if (std::optional<std::string> number = SignedNumber(*lexed)) {
    const std::optional<std::string> canonical = MakeDecimal(*number);
    if (!canonical) return {"", std::string("the number is beyond what this converter writes")};
    return {"DEFAULT " + DecimalLiteral(*canonical), std::nullopt};
  }
  const std::vector<Token> tokens = WithoutEnclosingBrackets(std::move(*lexed));
  if (tokens.size() == 1 && tokens[0].kind == Token::Kind::String) {
    // Oracle reads '' as NULL, which is what no default gives too.
    if (tokens[0].text.empty()) return {};
    return Quoted(tokens[0].text, escape);
  }
  if (tokens.size() == 2 && (tokens[0].IsWord("DATE") || tokens[0].IsWord("TIMESTAMP")) &&
      tokens[1].kind == Token::Kind::String)
    return Quoted(tokens[1].text, escape);
  if (tokens.size() == 1 && tokens[0].IsWord("NULL")) return {};
  // An empty LOB, which a NOT NULL CLOB or BLOB column starts with: the empty value.
  if (tokens.size() == 3 && (tokens[0].IsWord("EMPTY_CLOB") || tokens[0].IsWord("EMPTY_BLOB")) &&
      tokens[1].IsSymbol('(') && tokens[2].IsSymbol(')'))
    return {"DEFAULT ''", std::nullopt};
  // The user's number in Oracle; MySQL has none, and the converter has always written 0.
  if (tokens.size() == 1 && tokens[0].IsWord("UID")) return {"DEFAULT 0", std::nullopt};
  return NotALiteral();
}

}  // namespace skerrow
