#include "oracle/loader/script_index_parser.h"

#include <algorithm>

#include "oracle/loader/script_table_parser.h"
#include "oracle/oracle_names.h"
#include "text/ascii.h"

namespace skerrow::oracle {

namespace {

// Where the statement (or the parenthesised CREATE INDEX of USING INDEX) ends.
bool AtIndexEnd(const TokenCursor& cursor) {
  return cursor.AtEnd() || cursor.Peek().IsSymbol(")");
}

// One entry of the column list: tokens up to "," or ")" at depth 0, with ASC or DESC taken off.
IndexItem ReadIndexItem(TokenCursor& cursor) {
  IndexItem item;
  int depth = 0;
  while (!cursor.AtEnd()) {
    const Token& token = cursor.Peek();
    if (depth == 0 && (token.IsSymbol(",") || token.IsSymbol(")"))) break;
    if (token.IsSymbol("(")) ++depth;
    if (token.IsSymbol(")")) --depth;
    item.tokens.push_back(cursor.Next());
  }
  if (!item.tokens.empty() &&
      (item.tokens.back().IsWord("ASC") || item.tokens.back().IsWord("DESC"))) {
    item.descending = item.tokens.back().IsWord("DESC");
    item.tokens.pop_back();
  }
  if (item.tokens.empty()) cursor.FailUnexpected("a column or an expression");
  if (item.tokens.size() == 1 && item.tokens[0].IsName()) item.column = item.tokens[0].Name();
  return item;
}

// Attributes after the column list: only REVERSE, INDEXTYPE and FROM change what the index is.
void ReadIndexAttributes(TokenCursor& cursor, IndexDeclaration& index) {
  while (!AtIndexEnd(cursor)) {
    if (cursor.Peek().IsSymbol("(")) {
      cursor.SkipParenthesised();
      continue;
    }
    const Token& token = cursor.Next();
    if (token.IsWord("REVERSE")) {
      index.reverse = true;
    } else if (token.IsWord("INDEXTYPE")) {
      index.domain = true;
    } else if (token.IsWord("FROM") && index.unsupported.empty()) {
      index.unsupported =
          "bitmap join indexes (CREATE BITMAP INDEX ... FROM ... WHERE) are not kept";
    }
  }
}

bool NeedsBlankBetween(const Token& left, const Token& right) {
  const auto wordLike = [](const Token& token) {
    return token.kind == TokenKind::Word || token.kind == TokenKind::QuotedName ||
           token.kind == TokenKind::Number || token.kind == TokenKind::String ||
           token.kind == TokenKind::NationalString || token.kind == TokenKind::Bind;
  };
  return wordLike(left) && wordLike(right);
}

}  // namespace

IndexDeclaration ParseCreateIndex(TokenCursor& cursor, bool unique, bool bitmap) {
  IndexDeclaration index;
  index.unique = unique;
  index.bitmap = bitmap;
  QualifiedName name = ReadQualifiedName(cursor, "an index name");
  index.owner = name.owner;
  index.name = name.name;
  cursor.ExpectWord("ON");
  if (cursor.AcceptWord("CLUSTER")) {
    ReadQualifiedName(cursor, "a cluster name");
    index.unsupported = "indexes on clusters are not kept (clusters are not)";
    ReadIndexAttributes(cursor, index);
    return index;
  }
  QualifiedName table = ReadQualifiedName(cursor, "a table name");
  index.tableOwner = table.owner;
  index.table = table.name;
  // A table alias, as a bitmap join index has it.
  if (cursor.Peek().kind == TokenKind::Word) cursor.Next();
  cursor.ExpectSymbol("(");
  do {
    index.items.push_back(ReadIndexItem(cursor));
  } while (cursor.AcceptSymbol(","));
  cursor.ExpectSymbol(")");
  ReadIndexAttributes(cursor, index);
  return index;
}

std::string IndexExpressionText(const std::vector<Token>& tokens,
                                const std::vector<ColumnDefinition>& columns) {
  const auto isColumn = [&](const std::string& name) {
    return std::any_of(columns.begin(), columns.end(),
                       [&](const ColumnDefinition& column) { return column.name == name; });
  };
  std::string text;
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    const Token& token = tokens[i];
    if (i > 0 && NeedsBlankBetween(tokens[i - 1], token)) text += ' ';
    switch (token.kind) {
      case TokenKind::Word: {
        const bool call = i + 1 < tokens.size() && tokens[i + 1].IsSymbol("(");
        const std::string name = token.Name();
        text += !call && isColumn(name) ? QuoteOracleName(name) : name;
        break;
      }
      case TokenKind::QuotedName:
        text += QuoteOracleName(token.text);
        break;
      case TokenKind::String:
        text += QuoteOracleText(token.text);
        break;
      case TokenKind::NationalString:
        text += "N" + QuoteOracleText(token.text);
        break;
      case TokenKind::Bind:
        text += ":" + token.text;
        break;
      default:
        text += token.text;
        break;
    }
  }
  return text;
}

IndexDefinition ToIndexDefinition(const IndexDeclaration& declaration,
                                  const std::vector<ColumnDefinition>& columns) {
  IndexDefinition index;
  index.name = declaration.name;
  index.unique = declaration.unique;
  index.bitmap = declaration.bitmap;
  index.reverse = declaration.reverse;
  index.domain = declaration.domain;
  for (const IndexItem& item : declaration.items) {
    IndexColumn column;
    column.descending = item.descending;
    // A single name is a column (the instance refuses one the table lacks with ORA-00904).
    if (!item.column.empty())
      column.column = item.column;
    else
      column.expression = IndexExpressionText(item.tokens, columns);
    index.columns.push_back(std::move(column));
  }
  return index;
}

CommentDeclaration ParseComment(TokenCursor& cursor) {
  CommentDeclaration comment;
  if (cursor.AcceptWord("TABLE")) {
    QualifiedName table = ReadQualifiedName(cursor, "a table name");
    comment.owner = table.owner;
    comment.table = table.name;
  } else if (cursor.AcceptWord("COLUMN")) {
    std::vector<std::string> path{cursor.Name("a table name")};
    while (cursor.AcceptSymbol(".")) path.push_back(cursor.Name("a column name"));
    if (path.size() < 2 || path.size() > 3)
      cursor.Fail("ORA-00904: invalid identifier (COMMENT ON COLUMN needs table.column)");
    comment.column = path.back();
    comment.table = path[path.size() - 2];
    if (path.size() == 3) comment.owner = path[0];
  } else {
    std::string what;
    while (!cursor.AtEnd() && !cursor.Peek().IsWord("IS") &&
           cursor.Peek().kind == TokenKind::Word && what.size() < 40) {
      what += (what.empty() ? "" : " ") + text::ToUpperAscii(cursor.Next().text);
    }
    comment.otherObject = what.empty() ? std::string("an unknown object") : what;
    return comment;
  }
  cursor.ExpectWord("IS");
  const Token& text = cursor.Next();
  if (text.kind != TokenKind::String && text.kind != TokenKind::NationalString)
    cursor.Fail("ORA-01780: string literal required");
  comment.text = text.text;
  if (!cursor.AtEnd()) cursor.FailUnexpected("the end of the statement");
  return comment;
}

}  // namespace skerrow::oracle
