#include "oracle/sql_lexer.h"

#include <stdexcept>

#include "oracle/oracle_names.h"
#include "oracle/sql_characters.h"

namespace skerrow::oracle {

bool SqlToken::IsWord(std::string_view word) const {
  return kind == Kind::Word && EqualsIgnoringAsciiCase(text, word);
}

std::string SqlToken::Name() const {
  if (kind == Kind::Word) return AsciiUpper(text);
  if (kind == Kind::QuotedName) return text;
  return {};
}

std::vector<SqlToken> TokenizeSql(std::string_view sql) {
  std::vector<SqlToken> tokens;
  std::size_t i = 0;
  while (i < sql.size()) {
    const char c = sql[i];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
      ++i;
    } else if (sql.substr(i, 2) == "--") {
      while (i < sql.size() && sql[i] != '\n') ++i;
    } else if (sql.substr(i, 2) == "/*") {
      const auto end = sql.find("*/", i + 2);
      i = end == std::string_view::npos ? sql.size() : end + 2;
    } else if (c == '\'' || c == '"') {
      SqlToken token{c == '\'' ? SqlToken::Kind::Text : SqlToken::Kind::QuotedName, {}, i};
      std::size_t j = i + 1;
      bool closed = false;
      while (j < sql.size()) {
        if (sql[j] == c) {
          if (j + 1 < sql.size() && sql[j + 1] == c) {
            token.text += c;
            j += 2;
            continue;
          }
          closed = true;
          ++j;
          break;
        }
        token.text += sql[j++];
      }
      if (!closed)
        throw std::runtime_error(c == '\'' ? "ORA-01756: quoted string not properly terminated"
                                           : "ORA-01740: missing double quote in identifier");
      if (c == '"' && token.text.empty())
        throw std::runtime_error("ORA-01741: illegal zero-length identifier");
      tokens.push_back(std::move(token));
      i = j;
    } else if (IsWordStart(static_cast<unsigned char>(c))) {
      std::size_t j = i;
      while (j < sql.size() && IsWordPart(static_cast<unsigned char>(sql[j]))) ++j;
      tokens.push_back({SqlToken::Kind::Word, std::string(sql.substr(i, j - i)), i});
      i = j;
    } else if (IsDigit(c) || (c == '.' && i + 1 < sql.size() && IsDigit(sql[i + 1]))) {
      std::size_t j = i;
      while (j < sql.size() && (IsDigit(sql[j]) || sql[j] == '.')) ++j;
      if (j < sql.size() && (sql[j] == 'e' || sql[j] == 'E')) {
        std::size_t k = j + 1;
        if (k < sql.size() && (sql[k] == '+' || sql[k] == '-')) ++k;
        if (k < sql.size() && IsDigit(sql[k])) {
          j = k;
          while (j < sql.size() && IsDigit(sql[j])) ++j;
        }
      }
      tokens.push_back({SqlToken::Kind::Number, std::string(sql.substr(i, j - i)), i});
      i = j;
    } else {
      // Two-character operators stay together so that a parser never mistakes "<=" for "<".
      const auto pair = sql.substr(i, 2);
      const bool twoChars = pair == "<=" || pair == ">=" || pair == "<>" || pair == "!=" ||
                            pair == "||" || pair == "=>";
      tokens.push_back({SqlToken::Kind::Symbol, std::string(sql.substr(i, twoChars ? 2 : 1)), i});
      i += twoChars ? 2 : 1;
    }
  }
  tokens.push_back({SqlToken::Kind::End, {}, sql.size()});
  return tokens;
}

}  // namespace skerrow::oracle
