#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace skerrow::oracle {

struct SqlToken {
  enum class Kind { Word, QuotedName, Text, Number, Symbol, End };
  Kind kind = Kind::End;
  std::string text;  // Word: as written; QuotedName: the name, "" undoubled; Text: the value
  std::size_t offset = 0;

  // An unquoted word compared without case, e.g. IsWord("from").
  bool IsWord(std::string_view word) const;
  bool IsSymbol(char symbol) const {
    return kind == Kind::Symbol && text.size() == 1 && text[0] == symbol;
  }
  // The name Oracle means: unquoted words upper-cased, quoted names verbatim; "" otherwise.
  std::string Name() const;
};

// Splits one SQL text into tokens, ending with an End token. Comments are dropped. Throws
// std::runtime_error with Oracle's message for an unterminated text literal (ORA-01756), a
// quoted name without its closing quote (ORA-01740) or an empty quoted name (ORA-01741).
std::vector<SqlToken> TokenizeSql(std::string_view sql);

}  // namespace skerrow::oracle
