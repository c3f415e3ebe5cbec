#include "oracle/loader/script_table_parser.h"

#include <array>

#include "oracle/loader/script_types.h"
#include "oracle/loader/sequence_options.h"
#include "text/ascii.h"

namespace skerrow::oracle {

namespace {

// Words that end a DEFAULT expression or an index clause: the next clause of the column.
constexpr std::array kClauseWords = {
    "CONSTRAINT", "NOT",        "NULL",     "PRIMARY",    "UNIQUE",  "CHECK",    "REFERENCES",
    "ENABLE",     "DISABLE",    "VALIDATE", "NOVALIDATE", "RELY",    "NORELY",   "DEFERRABLE",
    "INITIALLY",  "EXCEPTIONS", "DEFAULT",  "USING",      "FOREIGN", "GENERATED"};

bool IsClauseWord(const Token& token) {
  if (token.kind != TokenKind::Word) return false;
  const std::string upper = text::ToUpperAscii(token.text);
  for (const char* word : kClauseWords)
    if (upper == word) return true;
  return false;
}

bool AtItemEnd(const TokenCursor& cursor) {
  return cursor.AtEnd() || cursor.Peek().IsSymbol(",") || cursor.Peek().IsSymbol(")");
}

std::vector<std::string> NameList(TokenCursor& cursor, std::string_view what) {
  std::vector<std::string> names;
  cursor.ExpectSymbol("(");
  do {
    names.push_back(cursor.Name(what));
  } while (cursor.AcceptSymbol(","));
  cursor.ExpectSymbol(")");
  return names;
}

// The text inside a parenthesised group, as written.
std::string ParenthesisedText(TokenCursor& cursor, std::string_view statement) {
  const Token& open = cursor.Peek();
  if (!open.IsSymbol("(")) cursor.FailUnexpected("\"(\"");
  const std::size_t begin = open.end;
  cursor.SkipParenthesised();
  const std::size_t end = cursor.Previous().begin;
  return text::TrimWhiteSpace(statement.substr(begin, end - begin));
}

// Words of an index's physical description after USING INDEX, which are no index name.
constexpr std::array kIndexAttributeWords = {
    "TABLESPACE", "PCTFREE",  "INITRANS",   "MAXTRANS",   "STORAGE", "LOGGING",   "NOLOGGING",
    "COMPUTE",    "COMPRESS", "NOCOMPRESS", "LOCAL",      "GLOBAL",  "REVERSE",   "NOSORT",
    "SORT",       "ONLINE",   "PARALLEL",   "NOPARALLEL", "VISIBLE", "INVISIBLE", "PCTUSED"};

bool IsIndexAttributeWord(const Token& token) {
  if (token.kind != TokenKind::Word) return false;
  const std::string upper = text::ToUpperAscii(token.text);
  for (const char* word : kIndexAttributeWords)
    if (upper == word) return true;
  return false;
}

// USING INDEX name, USING INDEX (CREATE INDEX ...), or an index description the stand-in does
// not need.
void ReadUsingIndex(TokenCursor& cursor, DeclaredConstraint& constraint) {
  cursor.ExpectWord("INDEX");
  if (cursor.Peek().IsSymbol("(")) {
    if (!cursor.Peek(1).IsWord("CREATE")) {
      cursor.SkipParenthesised();
      return;
    }
    cursor.Next();
    cursor.Next();
    const bool unique = cursor.AcceptWord("UNIQUE");
    cursor.ExpectWord("INDEX");
    constraint.usingIndex = ParseCreateIndex(cursor, unique, false);
    cursor.ExpectSymbol(")");
    return;
  }
  if (cursor.PeekIsName() && !IsIndexAttributeWord(cursor.Peek()) && !IsClauseWord(cursor.Peek())) {
    QualifiedName index = ReadQualifiedName(cursor, "an index name");
    constraint.definition.usingIndex = index.name;
  }
  while (!AtItemEnd(cursor) && !IsClauseWord(cursor.Peek())) {
    if (cursor.Peek().IsSymbol("("))
      cursor.SkipParenthesised();
    else
      cursor.Next();
  }
}

// ENABLE, DISABLE, USING INDEX ... and the other state clauses after a constraint.
void ReadConstraintState(TokenCursor& cursor, DeclaredConstraint& constraint) {
  ConstraintDefinition& definition = constraint.definition;
  while (true) {
    if (cursor.AcceptWord("ENABLE")) {
      definition.enabled = true;
    } else if (cursor.AcceptWord("DISABLE")) {
      definition.enabled = false;
    } else if (cursor.AcceptWord("VALIDATE")) {
      definition.validated = true;
    } else if (cursor.AcceptWord("NOVALIDATE")) {
      definition.validated = false;
    } else if (cursor.AcceptWord("RELY") || cursor.AcceptWord("NORELY") ||
               cursor.AcceptWord("DEFERRABLE")) {
    } else if (cursor.Peek().IsWord("NOT") && cursor.Peek(1).IsWord("DEFERRABLE")) {
      cursor.Next();
      cursor.Next();
    } else if (cursor.AcceptWord("INITIALLY")) {
      if (!cursor.AcceptWord("IMMEDIATE") && !cursor.AcceptWord("DEFERRED"))
        cursor.FailUnexpected("IMMEDIATE or DEFERRED");
    } else if (cursor.AcceptWord("USING")) {
      ReadUsingIndex(cursor, constraint);
    } else if (cursor.AcceptWord("EXCEPTIONS")) {
      cursor.ExpectWord("INTO");
      ReadQualifiedName(cursor, "a table name");
    } else {
      return;
    }
  }
}

void ReadReferences(TokenCursor& cursor, DeclaredConstraint& constraint) {
  QualifiedName table = ReadQualifiedName(cursor, "the referenced table");
  constraint.definition.refOwner = table.owner;
  constraint.refTable = table.name;
  if (cursor.Peek().IsSymbol("(")) constraint.refColumns = NameList(cursor, "a column name");
  if (cursor.AcceptWord("ON")) {
    cursor.ExpectWord("DELETE");
    if (cursor.AcceptWord("CASCADE")) {
      constraint.definition.deleteRule = "CASCADE";
    } else {
      cursor.ExpectWord("SET");
      cursor.ExpectWord("NULL");
      constraint.definition.deleteRule = "SET NULL";
    }
  }
}

// An out-of-line constraint (also the ADD clause of ALTER TABLE), at CONSTRAINT, PRIMARY,
// UNIQUE, CHECK or FOREIGN.
DeclaredConstraint ReadTableConstraint(TokenCursor& cursor, std::string_view statement) {
  DeclaredConstraint constraint;
  if (cursor.AcceptWord("CONSTRAINT"))
    constraint.definition.name = cursor.Name("a constraint name");
  if (cursor.AcceptWord("PRIMARY")) {
    cursor.ExpectWord("KEY");
    constraint.definition.type = 'P';
    constraint.definition.columns = NameList(cursor, "a key column");
  } else if (cursor.AcceptWord("UNIQUE")) {
    constraint.definition.type = 'U';
    constraint.definition.columns = NameList(cursor, "a key column");
  } else if (cursor.AcceptWord("CHECK")) {
    constraint.definition.type = 'C';
    constraint.definition.searchCondition = ParenthesisedText(cursor, statement);
  } else if (cursor.AcceptWord("FOREIGN")) {
    cursor.ExpectWord("KEY");
    constraint.definition.type = 'R';
    constraint.definition.columns = NameList(cursor, "a key column");
    cursor.ExpectWord("REFERENCES");
    ReadReferences(cursor, constraint);
  } else {
    cursor.FailUnexpected("PRIMARY KEY, UNIQUE, CHECK or FOREIGN KEY");
  }
  ReadConstraintState(cursor, constraint);
  return constraint;
}

bool StartsTableConstraint(const TokenCursor& cursor) {
  const Token& token = cursor.Peek();
  return token.IsWord("CONSTRAINT") || token.IsWord("PRIMARY") || token.IsWord("UNIQUE") ||
         token.IsWord("CHECK") || token.IsWord("FOREIGN");
}

// DEFAULT expr: the expression's text as written, with whatever follows it (blanks, line
// breaks, comments) up to the next clause, the way the dictionary keeps DATA_DEFAULT.
std::string ReadDefault(TokenCursor& cursor, std::string_view statement) {
  if (cursor.Peek().IsWord("ON") && cursor.Peek(1).IsWord("NULL")) {
    cursor.Next();
    cursor.Next();
  }
  const std::size_t first = cursor.Position();
  int depth = 0;
  bool firstToken = true;
  while (!cursor.AtEnd()) {
    const Token& token = cursor.Peek();
    if (depth == 0 && (token.IsSymbol(",") || token.IsSymbol(")"))) break;
    if (depth == 0 && !firstToken && IsClauseWord(token)) break;
    if (token.IsSymbol("(")) ++depth;
    if (token.IsSymbol(")")) --depth;
    cursor.Next();
    firstToken = false;
  }
  if (firstToken) cursor.FailUnexpected("a default value after DEFAULT");
  return cursor.TextSince(first, statement);
}

void ReadColumn(TokenCursor& cursor, std::string_view statement, const std::string& schema,
                const std::set<std::string>& objectTypes, TableDeclaration& table) {
  ColumnDefinition column;
  column.name = cursor.Name("a column name");
  for (const ColumnDefinition& existing : table.columns)
    if (existing.name == column.name)
      cursor.Fail("ORA-00957: duplicate column name \"" + column.name + "\"");
  ReadDataType(cursor, schema, objectTypes, column);
  while (!AtItemEnd(cursor)) {
    if (cursor.AcceptWord("DEFAULT")) {
      column.dataDefault = ReadDefault(cursor, statement);
      continue;
    }
    if (cursor.AcceptWord("GENERATED")) {
      IdentityDefinition identity;
      if (cursor.AcceptWord("BY")) {
        cursor.ExpectWord("DEFAULT");
        identity.always = false;
        if (cursor.AcceptWord("ON")) {
          cursor.ExpectWord("NULL");
          identity.onNull = true;
        }
      } else {
        cursor.AcceptWord("ALWAYS");
      }
      cursor.ExpectWord("AS");
      if (!cursor.AcceptWord("IDENTITY"))
        cursor.Fail(
            "virtual columns (GENERATED ALWAYS AS (expression)) are not supported by the "
            "script loader");
      if (cursor.AcceptSymbol("(")) {
        identity.options = ReadSequenceOptions(cursor, OptionsEnd::InParentheses);
        cursor.ExpectSymbol(")");
      } else {
        identity.options = ReadSequenceOptions(cursor, OptionsEnd::OtherWord);
      }
      column.identity = std::move(identity);
      column.nullable = false;
      continue;
    }
    if (cursor.AcceptWord("SORT") || cursor.AcceptWord("VISIBLE") || cursor.AcceptWord("INVISIBLE"))
      continue;
    DeclaredConstraint constraint;
    if (cursor.AcceptWord("CONSTRAINT"))
      constraint.definition.name = cursor.Name("a constraint name");
    if (cursor.Peek().IsWord("NOT") && cursor.Peek(1).IsWord("NULL")) {
      cursor.Next();
      cursor.Next();
      column.nullable = false;
      constraint.definition.type = 'C';
      constraint.definition.columns = {column.name};
      constraint.definition.searchCondition = "\"" + column.name + "\" IS NOT NULL";
    } else if (cursor.AcceptWord("NULL")) {
      ReadConstraintState(cursor, constraint);
      continue;
    } else if (cursor.AcceptWord("PRIMARY")) {
      cursor.ExpectWord("KEY");
      column.nullable = false;
      constraint.definition.type = 'P';
      constraint.definition.columns = {column.name};
    } else if (cursor.AcceptWord("UNIQUE")) {
      constraint.definition.type = 'U';
      constraint.definition.columns = {column.name};
    } else if (cursor.AcceptWord("CHECK")) {
      constraint.definition.type = 'C';
      constraint.definition.columns = {column.name};
      constraint.definition.searchCondition = ParenthesisedText(cursor, statement);
    } else if (cursor.AcceptWord("REFERENCES")) {
      constraint.definition.type = 'R';
      constraint.definition.columns = {column.name};
      ReadReferences(cursor, constraint);
    } else {
      cursor.FailUnexpected("a column constraint, DEFAULT, \",\" or \")\"");
    }
    ReadConstraintState(cursor, constraint);
    table.constraints.push_back(std::move(constraint));
  }
  table.columns.push_back(std::move(column));
}

}  // namespace

QualifiedName ReadQualifiedName(TokenCursor& cursor, std::string_view what) {
  QualifiedName name;
  name.name = cursor.Name(what);
  if (cursor.Peek().IsSymbol(".") && cursor.PeekIsName(1)) {
    cursor.Next();
    name.owner = std::move(name.name);
    name.name = cursor.Name(what);
  }
  return name;
}

TableDeclaration ParseCreateTable(TokenCursor& cursor, std::string_view statement,
                                  const std::string& currentSchema,
                                  const std::set<std::string>& objectTypes) {
  TableDeclaration table;
  QualifiedName name = ReadQualifiedName(cursor, "a table name");
  table.owner = name.owner.empty() ? currentSchema : name.owner;
  table.name = name.name;
  if (cursor.Peek().IsWord("OF"))
    cursor.Fail("object tables (CREATE TABLE ... OF type) are not supported by the script loader");
  if (cursor.Peek().IsWord("AS"))
    cursor.Fail("CREATE TABLE ... AS SELECT is not supported by the script loader");
  cursor.ExpectSymbol("(");
  do {
    if (StartsTableConstraint(cursor)) {
      table.constraints.push_back(ReadTableConstraint(cursor, statement));
    } else {
      ReadColumn(cursor, statement, table.owner, objectTypes, table);
    }
  } while (cursor.AcceptSymbol(","));
  cursor.ExpectSymbol(")");
  // Physical attributes follow (TABLESPACE, STORAGE, ORGANIZATION, LOB ... STORE AS, ...);
  // only a query would change what the table holds.
  int depth = 0;
  while (!cursor.AtEnd()) {
    const Token& token = cursor.Next();
    if (token.IsSymbol("(")) ++depth;
    if (token.IsSymbol(")")) --depth;
    if (depth == 0 && token.IsWord("AS") && cursor.Peek().IsWord("SELECT"))
      cursor.Fail("CREATE TABLE ... AS SELECT is not supported by the script loader");
  }
  return table;
}

namespace {

bool StartsConstraintReference(const TokenCursor& cursor, std::size_t ahead) {
  const Token& token = cursor.Peek(ahead);
  return token.IsWord("CONSTRAINT") ||
         (token.IsWord("PRIMARY") && cursor.Peek(ahead + 1).IsWord("KEY")) ||
         (token.IsWord("UNIQUE") && cursor.Peek(ahead + 1).IsSymbol("("));
}

ConstraintReference ReadConstraintReference(TokenCursor& cursor) {
  ConstraintReference reference;
  if (cursor.AcceptWord("CONSTRAINT")) {
    reference.name = cursor.Name("a constraint name");
  } else if (cursor.AcceptWord("PRIMARY")) {
    cursor.ExpectWord("KEY");
    reference.keyType = 'P';
  } else {
    cursor.ExpectWord("UNIQUE");
    reference.keyType = 'U';
    reference.columns = NameList(cursor, "a key column");
  }
  return reference;
}

}  // namespace

bool StartsConstraintDrop(const TokenCursor& cursor) {
  return cursor.Peek().IsWord("DROP") && StartsConstraintReference(cursor, 1);
}

ConstraintDrop ParseConstraintDrop(TokenCursor& cursor) {
  ConstraintDrop drop;
  cursor.ExpectWord("DROP");
  drop.constraint = ReadConstraintReference(cursor);
  while (!cursor.AtEnd()) {
    if (cursor.AcceptWord("CASCADE")) {
      drop.cascade = true;
    } else if (cursor.AcceptWord("KEEP")) {
      cursor.ExpectWord("INDEX");
      drop.keepIndex = true;
    } else if (cursor.AcceptWord("DROP")) {
      cursor.ExpectWord("INDEX");
      drop.keepIndex = false;
    } else if (!cursor.AcceptWord("ONLINE")) {
      cursor.FailUnexpected("CASCADE, KEEP INDEX, DROP INDEX or the end of the statement");
    }
  }
  return drop;
}

bool StartsConstraintStateChange(const TokenCursor& cursor) {
  if (cursor.Peek().IsWord("MODIFY")) return StartsConstraintReference(cursor, 1);
  if (!cursor.Peek().IsWord("ENABLE") && !cursor.Peek().IsWord("DISABLE")) return false;
  const std::size_t next =
      cursor.Peek(1).IsWord("VALIDATE") || cursor.Peek(1).IsWord("NOVALIDATE") ? 2 : 1;
  return StartsConstraintReference(cursor, next);
}

ConstraintStateChange ParseConstraintStateChange(TokenCursor& cursor) {
  ConstraintStateChange change;
  bool stated = false;
  const auto readState = [&] {
    while (!cursor.AtEnd()) {
      if (cursor.AcceptWord("ENABLE")) {
        change.enable = true;
        stated = true;
      } else if (cursor.AcceptWord("DISABLE")) {
        change.enable = false;
        stated = true;
      } else if (cursor.AcceptWord("VALIDATE")) {
        change.validate = true;
      } else if (cursor.AcceptWord("NOVALIDATE")) {
        change.validate = false;
      } else {
        return;
      }
    }
  };
  if (cursor.AcceptWord("MODIFY")) {
    change.constraint = ReadConstraintReference(cursor);
    readState();
  } else {
    readState();
    change.constraint = ReadConstraintReference(cursor);
  }
  // What may follow (USING INDEX, KEEP INDEX, CASCADE, EXCEPTIONS INTO) does not change the
  // dictionary's state.
  while (!cursor.AtEnd()) {
    if (cursor.Peek().IsSymbol("("))
      cursor.SkipParenthesised();
    else
      cursor.Next();
  }
  if (!stated) cursor.Fail("ORA-00905: missing keyword (ENABLE or DISABLE)");
  return change;
}

std::vector<DeclaredConstraint> ParseAddConstraints(TokenCursor& cursor,
                                                    std::string_view statement) {
  std::vector<DeclaredConstraint> constraints;
  cursor.ExpectWord("ADD");
  do {
    if (cursor.AcceptSymbol("(")) {
      do {
        if (!StartsTableConstraint(cursor))
          cursor.Fail(
              "adding columns with ALTER TABLE ... ADD is not supported by the script "
              "loader; declare the column in CREATE TABLE");
        constraints.push_back(ReadTableConstraint(cursor, statement));
      } while (cursor.AcceptSymbol(","));
      cursor.ExpectSymbol(")");
    } else {
      if (!StartsTableConstraint(cursor))
        cursor.Fail(
            "adding columns with ALTER TABLE ... ADD is not supported by the script "
            "loader; declare the column in CREATE TABLE");
      constraints.push_back(ReadTableConstraint(cursor, statement));
    }
  } while (cursor.AcceptWord("ADD"));
  if (!cursor.AtEnd()) cursor.FailUnexpected("the end of the statement");
  return constraints;
}

}  // namespace skerrow::oracle
