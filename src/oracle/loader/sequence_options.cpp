#include "oracle/loader/sequence_options.h"

#include "db/variant.h"

namespace skerrow::oracle {

namespace {

std::string ReadNumber(TokenCursor& cursor) {
  const bool negative = cursor.AcceptSymbol("-");
  if (!negative) cursor.AcceptSymbol("+");
  const Token& token = cursor.Peek();
  auto exact = token.kind == TokenKind::Number ? MakeDecimal(token.text) : std::nullopt;
  if (!exact || exact->find('.') != std::string::npos) cursor.FailUnexpected("a whole number");
  cursor.Next();
  return negative && *exact != "0" ? "-" + *exact : *exact;
}

}  // namespace

SequenceOptions ReadSequenceOptions(TokenCursor& cursor, OptionsEnd until) {
  SequenceOptions options;
  while (!cursor.AtEnd() && !(until == OptionsEnd::InParentheses && cursor.Peek().IsSymbol(")"))) {
    if (cursor.AcceptWord("START")) {
      cursor.ExpectWord("WITH");
      if (cursor.AcceptWord("LIMIT")) {
        cursor.ExpectWord("VALUE");  // START WITH LIMIT VALUE: the column's highest value
        continue;
      }
      options.startWith = ReadNumber(cursor);
    } else if (cursor.AcceptWord("INCREMENT")) {
      cursor.ExpectWord("BY");
      options.incrementBy = ReadNumber(cursor);
    } else if (cursor.AcceptWord("MAXVALUE")) {
      options.maxValue = ReadNumber(cursor);
    } else if (cursor.AcceptWord("MINVALUE")) {
      options.minValue = ReadNumber(cursor);
    } else if (cursor.AcceptWord("CACHE")) {
      options.cacheSize = std::stol(ReadNumber(cursor));
    } else if (cursor.AcceptWord("NOCACHE")) {
      options.cacheSize = 0;
    } else if (cursor.AcceptWord("CYCLE")) {
      options.cycle = true;
    } else if (cursor.AcceptWord("NOCYCLE")) {
      options.cycle = false;
    } else if (cursor.AcceptWord("ORDER")) {
      options.order = true;
    } else if (cursor.AcceptWord("NOORDER")) {
      options.order = false;
    } else if (cursor.AcceptWord("NOMAXVALUE") || cursor.AcceptWord("NOMINVALUE") ||
               cursor.AcceptWord("KEEP") || cursor.AcceptWord("NOKEEP") ||
               cursor.AcceptWord("NOSCALE") || cursor.AcceptWord("SESSION") ||
               cursor.AcceptWord("GLOBAL") || cursor.AcceptWord("NOSHARD") ||
               cursor.AcceptWord("NOEXTEND")) {
    } else if (cursor.AcceptWord("SCALE") || cursor.AcceptWord("SHARD")) {
      if (!cursor.AcceptWord("EXTEND")) cursor.AcceptWord("NOEXTEND");
    } else if (until == OptionsEnd::OtherWord) {
      break;
    } else {
      cursor.FailUnexpected("a sequence option");
    }
  }
  return options;
}

}  // namespace skerrow::oracle
