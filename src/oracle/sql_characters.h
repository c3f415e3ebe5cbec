#pragma once

// The character classes of Oracle SQL text, shared by the query lexer and the script loader.
// Bytes from 0x80 up belong to words, so names in any UTF-8 letters read as one word.

namespace skerrow::oracle {

inline bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Starts an unquoted name or keyword.
inline bool IsWordStart(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 0x80;
}

// Continues an unquoted name or keyword.
inline bool IsWordPart(unsigned char c) {
  return IsWordStart(c) || IsDigit(static_cast<char>(c)) || c == '_' || c == '$' || c == '#';
}

}  // namespace skerrow::oracle
