// The one lexer of the embedded Oracle: token kinds and texts, lines, and Oracle's errors for
// what is left open.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "oracle/sql_error.h"
#include "oracle/sql_lexer.h"
#include "text/ascii.h"

namespace skerrow::oracle {
namespace {

// Tokens shown as KIND:text, the End token left out.
std::string Shown(std::string_view sql) {
  std::string shown;
  for (const Token& token : Tokenize(sql)) {
    const char* kind = "";
    switch (token.kind) {
      case TokenKind::Word:
        kind = "W";
        break;
      case TokenKind::QuotedName:
        kind = "Q";
        break;
      case TokenKind::String:
        kind = "S";
        break;
      case TokenKind::NationalString:
        kind = "N";
        break;
      case TokenKind::Number:
        kind = token.HasBinarySuffix() ? "F" : "D";
        break;
      case TokenKind::Bind:
        kind = "B";
        break;
      case TokenKind::Symbol:
        kind = "Y";
        break;
      case TokenKind::SlashLine:
        kind = "/";
        break;
      case TokenKind::End:
        continue;
    }
    shown += (shown.empty() ? "" : " ") + std::string(kind) + ":" + token.text;
  }
  return shown;
}

TEST(OracleLexer, ReadsEveryTokenKind) {
  struct Case {
    const char* sql;
    const char* tokens;
  };
  const std::vector<Case> cases = {
      {"select a from t", "W:select W:a W:from W:t"},
      {"\"Mixed \"\"Q\"\"\".col", "Q:Mixed \"Q\" Y:. W:col"},
      {"'it''s'", "S:it's"},
      {"q'[it's]' Q'{a}' q'!x!' q'<y>' q'(z)'", "S:it's S:a S:x S:y S:z"},
      {"N'n' nq'[m]' NQ'#o#'", "N:n N:m N:o"},
      {"xq'a'", "W:xq S:a"},  // a q' inside a word is no q-quote
      {"12 12.5 .5 1e3 2E-2 1.5f 2d", "D:12 D:12.5 D:.5 D:1e3 D:2E-2 F:1.5 F:2"},
      {"1..10", "D:1 Y:.. D:10"},
      {":name :1 a := b", "B:name B:1 W:a Y::= W:b"},
      {"a||b <= >= <> != ^= => ( ) , ;",
       "W:a Y:|| W:b Y:<= Y:>= Y:<> Y:!= Y:^= Y:=> Y:( Y:) Y:, Y:;"},
      {"a -- comment ; 'x\nb /* c ; ' */ c", "W:a W:b W:c"},
      {"emp$ no# x_1 caf\xC3\xA9", "W:emp$ W:no# W:x_1 W:caf\xC3\xA9"},
      {"select 1\n/\nselect 2", "W:select D:1 /:/ W:select D:2"},
      {"a\n  /  \nb", "W:a /:/ W:b"},
      {"4 / 2", "D:4 Y:/ D:2"},
  };
  for (const Case& c : cases) EXPECT_EQ(Shown(c.sql), c.tokens) << c.sql;
}

TEST(OracleLexer, CountsLinesAcrossLiteralsAndComments) {
  const std::vector<Token> tokens = Tokenize("a\n'x\ny'\n/* 1\n2 */ b\n-- c\nd", 10);
  ASSERT_EQ(tokens.size(), 5u);
  EXPECT_EQ(tokens[0].line, 10);
  EXPECT_EQ(tokens[1].line, 11);
  EXPECT_EQ(tokens[2].line, 14);
  EXPECT_EQ(tokens[3].line, 16);
  EXPECT_EQ(tokens[4].kind, TokenKind::End);
}

TEST(OracleLexer, RefusesWhatIsLeftOpenWithOraclesMessage) {
  struct Case {
    std::string sql;
    const char* code;
    int line;
  };
  const std::vector<Case> cases = {
      {"select 'abc", "ORA-01756", 1},
      {"select\nq'[abc]", "ORA-01756", 2},
      {"select n'abc", "ORA-01756", 1},
      {"select \"abc", "ORA-01740", 1},
      {"select \"\" from t", "ORA-01741", 1},
      {"select 1 /* never closed", "ORA-01742", 1},
      {"\n\nselect q'", "ORA-01756", 3},
      // Oracle's names hold at most 128 bytes and never a NUL.
      {"select a from t" + std::string(128, 'x'), "ORA-00972", 1},
      {"select\n\"" + std::string(129, 'q') + "\"", "ORA-00972", 2},
      {std::string("select \"a\0b\" from t", 20), "ORA-00911", 1},
  };
  for (const Case& c : cases) {
    try {
      Tokenize(c.sql);
      ADD_FAILURE() << c.sql << ": no error";
    } catch (const StatementError& error) {
      EXPECT_EQ(std::string(error.what()).rfind(c.code, 0), 0u) << c.sql << ": " << error.what();
      EXPECT_EQ(error.Line(), c.line) << c.sql;
    }
  }
}

TEST(OracleLexer, NamesOfOraclesLongestLengthAreRead) {
  const std::string longest(128, 'n');
  EXPECT_EQ(Tokenize("select " + longest + ", \"" + longest + "\" from t")[1].Name(),
            text::ToUpperAscii(longest));
  // Finding where statements end does not judge their names: that is each statement's own error.
  const std::string statement = std::string(300, 'n') + ";";
  SqlLexer scanning(statement, 1, false);
  EXPECT_EQ(scanning.Next().text.size(), 300u);
  EXPECT_TRUE(scanning.Next().IsSymbol(";"));
}

TEST(OracleLexer, TokensNameWhatOracleMeans) {
  const std::vector<Token> tokens = Tokenize("emp \"emp\" 'emp'");
  EXPECT_EQ(tokens[0].Name(), "EMP");
  EXPECT_EQ(tokens[1].Name(), "emp");
  EXPECT_EQ(tokens[2].Name(), "");
  EXPECT_TRUE(tokens[0].IsWord("EMP"));
  EXPECT_FALSE(tokens[1].IsWord("emp"));
}

}  // namespace
}  // namespace skerrow::oracle
