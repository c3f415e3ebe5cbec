#include "schema/check_translation.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "db/target_connection.h"
#include "text/ascii.h"

namespace skerrow {

namespace {

// Bounds what a hostile dictionary text can make us hold or send.
constexpr std::size_t kMaxConditionBytes = 32767;
constexpr int kMaxBracketDepth = 64;

enum class TokenKind { Name, Word, Number, Text, Operator, Open, Close, Comma };

struct ConditionToken {
  TokenKind kind;
  std::string text;  // a name or text unquoted, a word upper-cased
  bool quoted = false;
};

bool IsWordStart(char c) {
  return std::isalpha(static_cast<unsigned char>(c)) != 0;
}
bool IsWordPart(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '$' || c == '#';
}
bool IsDigit(char c) {
  return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

bool IsConditionWord(const std::string& word) {
  for (const char* known : {"AND", "OR", "NOT", "BETWEEN", "IN", "IS", "NULL", "LIKE"})
    if (word == known) return true;
  return false;
}

// Splits the condition; nullopt with `reason` for anything outside the translated forms.
std::optional<std::vector<ConditionToken>> Tokens(const std::string& text, std::string& reason) {
  std::vector<ConditionToken> tokens;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (std::isspace(static_cast<unsigned char>(c))) {
      ++i;
    } else if (c == '"' || c == '\'') {
      std::string value;
      std::size_t j = i + 1;
      bool closed = false;
      while (j < text.size()) {
        if (text[j] == c) {
          if (j + 1 < text.size() && text[j + 1] == c) {
            value += c;
            j += 2;
            continue;
          }
          closed = true;
          ++j;
          break;
        }
        value += text[j++];
      }
      if (!closed) {
        reason = "a quote is not closed";
        return std::nullopt;
      }
      tokens.push_back({c == '"' ? TokenKind::Name : TokenKind::Text, value, c == '"'});
      i = j;
    } else if (IsWordStart(c)) {
      std::size_t j = i;
      while (j < text.size() && IsWordPart(text[j])) ++j;
      const std::string word = text::ToUpperAscii(text.substr(i, j - i));
      tokens.push_back({IsConditionWord(word) ? TokenKind::Word : TokenKind::Name, word});
      i = j;
    } else if (IsDigit(c) || (c == '.' && i + 1 < text.size() && IsDigit(text[i + 1]))) {
      std::size_t j = i;
      while (j < text.size() && IsDigit(text[j])) ++j;
      if (j < text.size() && text[j] == '.') {
        ++j;
        while (j < text.size() && IsDigit(text[j])) ++j;
      }
      if (j < text.size() && (text[j] == 'e' || text[j] == 'E')) {
        std::size_t k = j + 1;
        if (k < text.size() && (text[k] == '+' || text[k] == '-')) ++k;
        if (k < text.size() && IsDigit(text[k])) {
          j = k;
          while (j < text.size() && IsDigit(text[j])) ++j;
        }
      }
      if (j < text.size() && IsWordPart(text[j])) {
        reason = "the number " + text.substr(i, j - i + 1) + "... has a suffix MySQL does not read";
        return std::nullopt;
      }
      tokens.push_back({TokenKind::Number, text.substr(i, j - i)});
      i = j;
    } else if (c == '(' || c == ')' || c == ',') {
      tokens.push_back({c == '('   ? TokenKind::Open
                        : c == ')' ? TokenKind::Close
                                   : TokenKind::Comma,
                        std::string(1, c)});
      ++i;
    } else {
      std::string op;
      for (const char* known : {"<>", "!=", "^=", "~=", "<=", ">=", "=", "<", ">", "-", "+"}) {
        const std::string_view candidate(known);
        if (text.compare(i, candidate.size(), candidate) == 0) {
          op = known;
          break;
        }
      }
      if (op.empty()) {
        reason = std::string("it uses \"") + c + "\"";
        return std::nullopt;
      }
      tokens.push_back({TokenKind::Operator, op});
      i += op.size();
    }
  }
  return tokens;
}

}  // namespace

CheckTranslation TranslateCheckCondition(const std::string& condition,
                                         const std::vector<std::string>& columns,
                                         const SqlEscaper& escape) {
  CheckTranslation result;
  if (condition.size() > kMaxConditionBytes) {
    result.reason = "the condition is longer than " + std::to_string(kMaxConditionBytes) + " bytes";
    return result;
  }
  const auto tokens = Tokens(condition, result.reason);
  if (!tokens) return result;
  if (tokens->empty()) {
    result.reason = "the condition is empty";
    return result;
  }
  std::string out;
  int depth = 0;
  for (std::size_t i = 0; i < tokens->size(); ++i) {
    const ConditionToken& token = (*tokens)[i];
    const ConditionToken* previous = i > 0 ? &(*tokens)[i - 1] : nullptr;
    std::string piece;
    switch (token.kind) {
      case TokenKind::Name: {
        const auto column = std::find(columns.begin(), columns.end(), token.text);
        if (column == columns.end()) {
          result.reason = token.quoted ? "it names \"" + token.text + "\", not a converted column"
                                       : "it uses " + token.text;
          return result;
        }
        piece = QuoteMySqlIdentifier(*column);
        break;
      }
      case TokenKind::Word:
        piece = token.text;
        break;
      case TokenKind::Number:
        piece = token.text;
        break;
      case TokenKind::Text:
        if (previous && previous->kind == TokenKind::Word && previous->text == "LIKE" &&
            token.text.find('\\') != std::string::npos) {
          result.reason = "its LIKE pattern holds a backslash, an escape in MySQL";
          return result;
        }
        // Oracle's '' is NULL.
        piece = token.text.empty() ? "NULL" : "'" + escape(token.text) + "'";
        break;
      case TokenKind::Operator:
        // A sign only before a number, where no value precedes it: anything else computes.
        if ((token.text == "-" || token.text == "+") &&
            (i + 1 >= tokens->size() || (*tokens)[i + 1].kind != TokenKind::Number ||
             (previous &&
              (previous->kind == TokenKind::Name || previous->kind == TokenKind::Number ||
               previous->kind == TokenKind::Text || previous->kind == TokenKind::Close ||
               (previous->kind == TokenKind::Word && previous->text == "NULL"))))) {
          result.reason = "it computes with \"" + token.text + "\"";
          return result;
        }
        piece = token.text == "^=" || token.text == "~=" ? "<>" : token.text;
        break;
      case TokenKind::Open:
        if (++depth > kMaxBracketDepth) {
          result.reason = "its brackets nest deeper than " + std::to_string(kMaxBracketDepth);
          return result;
        }
        // A bracket after a name is a function call.
        if (previous && previous->kind == TokenKind::Name) {
          result.reason = "it calls " + previous->text;
          return result;
        }
        piece = "(";
        break;
      case TokenKind::Close:
        if (--depth < 0) {
          result.reason = "its brackets do not match";
          return result;
        }
        piece = ")";
        break;
      case TokenKind::Comma:
        piece = ",";
        break;
    }
    // A LIKE pattern that is not a literal may hold backslashes.
    if (previous && previous->kind == TokenKind::Word && previous->text == "LIKE" &&
        token.kind != TokenKind::Text) {
      result.reason = "its LIKE pattern is not a text literal";
      return result;
    }
    // "IN ('a', 'b')": no blank inside brackets or before a comma.
    const bool tight = token.kind == TokenKind::Close || token.kind == TokenKind::Comma ||
                       (previous && previous->kind == TokenKind::Open);
    if (!out.empty() && !tight) out += ' ';
    out += piece;
  }
  if (depth != 0) {
    result.reason = "its brackets do not match";
    return result;
  }
  result.translated = true;
  result.expression = std::move(out);
  return result;
}

bool IsNotNullCheck(const std::string& condition, std::string& column) {
  std::string reason;
  const auto tokens = Tokens(condition, reason);
  if (!tokens || tokens->size() != 4) return false;
  const auto& t = *tokens;
  if (t[0].kind != TokenKind::Name || !t[0].quoted || t[1].text != "IS" || t[2].text != "NOT" ||
      t[3].text != "NULL")
    return false;
  column = t[0].text;
  return true;
}

}  // namespace skerrow
