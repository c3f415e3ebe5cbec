// The statements of a script that change rows and sequences: INSERT (VALUES, SELECT, INSERT
// ALL), UPDATE, DELETE, TRUNCATE, DROP TABLE / SEQUENCE and CREATE SEQUENCE, and the names
// their expressions may use.
#include <algorithm>

#include "oracle/column_default.h"
#include "oracle/loader/plsql_scope.h"
#include "oracle/loader/script_conversion.h"
#include "oracle/loader/script_loader.h"
#include "oracle/loader/sequence_options.h"
#include "oracle/oracle_names.h"
#include "oracle/sql_select.h"
#include "oracle/user_message.h"

namespace skerrow::oracle {

namespace {

// Tables as the loader's session sees them, for INSERT ... SELECT.
class TargetTables : public TableProvider {
 public:
  TargetTables(ScriptTarget& target, std::string schema)
      : target_(target), schema_(std::move(schema)) {}
  std::optional<ScriptTarget::TableRows> Table(const std::string& owner,
                                               const std::string& table) override {
    return target_.ReadTable(owner.empty() ? schema_ : owner, table);
  }

 private:
  ScriptTarget& target_;
  std::string schema_;
};

bool AtDefault(const TokenCursor& cursor) {
  return cursor.Peek().IsWord("DEFAULT") &&
         (cursor.Peek(1).IsSymbol(",") || cursor.Peek(1).IsSymbol(")"));
}

}  // namespace

std::optional<ScriptValue> ScriptLoader::ResolveName(const std::vector<std::string>& path,
                                                     Scope* scope) {
  if (scope && path.size() == 1) {
    if (Scope::Variable* variable = scope->Find(path[0])) return variable->value;
    if (path[0] == "TRUE" || path[0] == "FALSE") return ScriptValue::Text(path[0]);
    for (Scope* s = scope; s; s = s->parent) {
      if (s->sqlErrm.empty()) continue;
      if (path[0] == "SQLCODE") return ScriptValue::Number(std::to_string(s->sqlCode));
      if (path[0] == "SQLERRM") return ScriptValue::Text(s->sqlErrm);
    }
  }
  if ((path.size() == 2 || path.size() == 3) &&
      (path.back() == "NEXTVAL" || path.back() == "CURRVAL")) {
    const std::string owner = path.size() == 3 ? path[0] : currentSchema_;
    const std::string& name = path[path.size() - 2];
    const auto key = std::make_pair(owner, name);
    if (path.back() == "NEXTVAL")
      return ScriptValue::Number(currentValues_[key] = target_.NextSequenceValue(owner, name));
    auto found = currentValues_.find(key);
    if (found == currentValues_.end())
      throw std::runtime_error("ORA-08002: sequence " + name +
                               ".CURRVAL is not yet defined in this session");
    return ScriptValue::Number(found->second);
  }
  return std::nullopt;
}

void ScriptLoader::Atomically(const std::function<void()>& run) {
  const long savepoint = target_.Savepoint();
  try {
    run();
  } catch (...) {
    target_.RollbackToSavepoint(savepoint);
    throw;
  }
  target_.ReleaseSavepoint(savepoint);
}

std::vector<const ColumnDefinition*> ScriptLoader::ColumnList(TokenCursor& cursor,
                                                              const std::string& owner,
                                                              const std::string& table) {
  const KnownTable& known = TableFor(owner, table, cursor);
  std::vector<const ColumnDefinition*> columns;
  if (!cursor.Peek().IsSymbol("(") || cursor.Peek(1).IsWord("SELECT")) {
    for (const ColumnDefinition& definition : known.columns) columns.push_back(&definition);
    return columns;
  }
  cursor.Next();
  do {
    const std::string column = cursor.Name("a column name");
    const ColumnDefinition* found = nullptr;
    for (const ColumnDefinition& definition : known.columns)
      if (definition.name == column) found = &definition;
    if (!found)
      cursor.Fail("ORA-00904: " + QuoteOracleName(column) +
                  ": invalid identifier (no such column in " + QuoteOracleName(owner) + "." +
                  QuoteOracleName(table) + ")");
    for (const ColumnDefinition* seen : columns)
      if (seen == found) cursor.Fail("ORA-00957: duplicate column name " + QuoteOracleName(column));
    columns.push_back(found);
  } while (cursor.AcceptSymbol(","));
  cursor.ExpectSymbol(")");
  return columns;
}

void ScriptLoader::InsertValues(const std::string& owner, const std::string& table,
                                const std::vector<const ColumnDefinition*>& columns,
                                const std::vector<std::optional<ScriptValue>>& values, int line,
                                LoadResult& result) {
  KnownTable& known = tables_.at({owner, table});
  if (known.columnPaths.size() != known.columns.size()) {
    known.columnPaths.clear();
    for (const ColumnDefinition& column : known.columns)
      known.columnPaths.push_back(ColumnPath(owner, table, column.name));
  }
  std::vector<std::string> names;
  std::vector<Variant> fitted;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const ColumnDefinition& column = *columns[i];
    if (!values[i]) continue;  // DEFAULT: the instance gives the column its default
    const std::string& path =
        known.columnPaths[static_cast<std::size_t>(columns[i] - known.columns.data())];
    try {
      fitted.push_back(FitToColumn(*values[i], column, path, context_));
    } catch (const StatementError&) {
      throw;
    } catch (const std::runtime_error& error) {
      throw StatementError(line, UserMessageOf(error).text);
    }
    const bool generated = column.identity && (column.identity->always || column.identity->onNull);
    if (!column.nullable && !generated && fitted.back().Kind() == VariantKind::Null)
      throw StatementError(line, "ORA-01400: cannot insert NULL into (" +
                                     ColumnPath(owner, table, column.name) + ")");
    names.push_back(column.name);
  }
  for (const ColumnDefinition& column : known.columns) {
    bool named = false;
    for (const std::string& given : names) named = named || given == column.name;
    if (!named && !column.nullable && !column.dataDefault && !column.identity)
      throw StatementError(line, "ORA-01400: cannot insert NULL into (" +
                                     ColumnPath(owner, table, column.name) + ")");
  }
  try {
    target_.InsertRow(owner, table, names, fitted);
  } catch (const StatementError&) {
    throw;
  } catch (const std::runtime_error& error) {
    throw StatementError(line, UserMessageOf(error).text);
  }
  CountRows(table, 1, result);
}

void ScriptLoader::RunInsert(TokenCursor& cursor, LoadResult& result, Scope* scope) {
  (void)scope;
  if (cursor.AcceptWord("ALL")) {
    RunInsertAll(cursor, result, scope);
    return;
  }
  if (cursor.Peek().IsWord("FIRST"))
    cursor.Fail("INSERT FIRST is not supported by the script loader");
  cursor.ExpectWord("INTO");
  const int line = cursor.Peek().line;
  QualifiedName name = ReadQualifiedName(cursor, "a table name");
  const std::string owner = OwnerOr(name.owner, cursor);
  // An alias may follow the table name.
  if (cursor.Peek().kind == TokenKind::Word && !cursor.Peek().IsWord("VALUES") &&
      !cursor.Peek().IsWord("SELECT"))
    cursor.Next();
  const std::vector<const ColumnDefinition*> columns = ColumnList(cursor, owner, name.name);
  const bool parenthesised = cursor.Peek().IsSymbol("(") && cursor.Peek(1).IsWord("SELECT");
  if (cursor.Peek().IsWord("SELECT") || parenthesised) {
    if (parenthesised) cursor.Next();
    TargetTables tables(target_, currentSchema_);
    const auto rows = RunSelect(cursor, tables, context_);
    if (parenthesised) cursor.ExpectSymbol(")");
    if (!cursor.AtEnd()) cursor.FailUnexpected("the end of the INSERT statement");
    Atomically([&] {
      for (const auto& row : rows) {
        if (row.size() > columns.size()) throw StatementError(line, "ORA-00913: too many values");
        if (row.size() < columns.size()) throw StatementError(line, "ORA-00947: not enough values");
        std::vector<std::optional<ScriptValue>> values(row.begin(), row.end());
        InsertValues(owner, name.name, columns, values, line, result);
      }
    });
    return;
  }
  cursor.ExpectWord("VALUES");
  cursor.ExpectSymbol("(");
  std::vector<std::optional<ScriptValue>> values;
  do {
    if (values.size() == columns.size()) cursor.Fail("ORA-00913: too many values");
    if (AtDefault(cursor)) {
      cursor.Next();
      values.emplace_back();
      continue;
    }
    values.push_back(EvaluateExpression(cursor, context_));
  } while (cursor.AcceptSymbol(","));
  if (values.size() < columns.size()) cursor.Fail("ORA-00947: not enough values");
  cursor.ExpectSymbol(")");
  if (!cursor.AtEnd()) cursor.FailUnexpected("the end of the INSERT statement");
  InsertValues(owner, name.name, columns, values, line, result);
}

void ScriptLoader::RunInsertAll(TokenCursor& cursor, LoadResult& result, Scope* scope) {
  (void)scope;
  struct Into {
    std::string owner, table;
    std::vector<const ColumnDefinition*> columns;
    std::optional<std::size_t> values;  // position after "VALUES ("
    int line = 0;
  };
  std::vector<Into> intos;
  while (cursor.AcceptWord("INTO")) {
    Into into;
    into.line = cursor.Peek().line;
    QualifiedName name = ReadQualifiedName(cursor, "a table name");
    into.owner = OwnerOr(name.owner, cursor);
    into.table = name.name;
    if (cursor.Peek().kind == TokenKind::Word && !cursor.Peek().IsWord("VALUES") &&
        !cursor.Peek().IsWord("INTO") && !cursor.Peek().IsWord("SELECT"))
      cursor.Next();
    into.columns = ColumnList(cursor, into.owner, into.table);
    if (cursor.AcceptWord("VALUES")) {
      cursor.ExpectSymbol("(");
      into.values = cursor.Position();
      do {
        SkipExpression(cursor);
      } while (cursor.AcceptSymbol(","));
      cursor.ExpectSymbol(")");
    }
    intos.push_back(std::move(into));
  }
  if (intos.empty()) cursor.FailUnexpected("INTO");
  if (!cursor.Peek().IsWord("SELECT")) cursor.FailUnexpected("the SELECT of INSERT ALL");
  TargetTables tables(target_, currentSchema_);
  const auto rows = RunSelect(cursor, tables, context_);
  if (!cursor.AtEnd()) cursor.FailUnexpected("the end of the INSERT statement");
  const std::size_t end = cursor.Position();
  Atomically([&] {
    for (const auto& row : rows) {
      for (const Into& into : intos) {
        std::vector<std::optional<ScriptValue>> values;
        if (!into.values) {
          values.assign(row.begin(), row.end());
        } else {
          cursor.Seek(*into.values);
          do {
            if (AtDefault(cursor)) {
              cursor.Next();
              values.emplace_back();
            } else {
              values.push_back(EvaluateExpression(cursor, context_));
            }
          } while (cursor.AcceptSymbol(","));
        }
        if (values.size() > into.columns.size())
          throw StatementError(into.line, "ORA-00913: too many values");
        if (values.size() < into.columns.size())
          throw StatementError(into.line, "ORA-00947: not enough values");
        InsertValues(into.owner, into.table, into.columns, values, into.line, result);
      }
    }
  });
  cursor.Seek(end);
}

namespace {

// The names of one row of a table for WHERE and SET: its columns, also qualified by the
// table's name or alias, before any other name.
ExpressionContext RowContext(const ExpressionContext& outer,
                             const std::vector<ColumnDefinition>& columns, const std::string& table,
                             const std::string& alias, const std::vector<Variant>*& row) {
  ExpressionContext context = outer;
  context.columnsVisible = true;
  context.resolveName = [&outer, &columns, table, alias,
                         &row](const std::vector<std::string>& path) -> std::optional<ScriptValue> {
    const bool qualified = path.size() == 2 && (path[0] == (alias.empty() ? table : alias));
    if (path.size() == 1 || qualified)
      for (std::size_t c = 0; c < columns.size(); ++c)
        if (columns[c].name == path.back())
          return ToScriptValue((*row)[c], FamilyOfDataType(columns[c].dataType));
    if (outer.resolveName) return outer.resolveName(path);
    return std::nullopt;
  };
  return context;
}

// True when the row the context sees meets the WHERE condition at `where` (every row when there
// is none).
bool RowMatches(TokenCursor& cursor, std::optional<std::size_t> where,
                const ExpressionContext& context, const std::string& statement) {
  if (!where) return true;
  cursor.Seek(*where);
  if (EvaluateCondition(cursor, context) != Truth::True) return false;
  if (!cursor.AtEnd()) cursor.FailUnexpected("the end of the " + statement + " statement");
  return true;
}

}  // namespace

void ScriptLoader::RunUpdate(TokenCursor& cursor, LoadResult& result, Scope* scope) {
  (void)scope;
  const int line = cursor.Peek().line;
  QualifiedName name = ReadQualifiedName(cursor, "a table name");
  const std::string owner = OwnerOr(name.owner, cursor);
  std::string alias;
  if (cursor.PeekIsName() && !cursor.Peek().IsWord("SET")) alias = cursor.Next().Name();
  const KnownTable& known = TableFor(owner, name.name, cursor);
  cursor.ExpectWord("SET");
  struct Assignment {
    std::size_t column = 0;
    std::optional<std::size_t> expression;  // none for DEFAULT
  };
  std::vector<Assignment> assignments;
  do {
    if (cursor.Peek().IsSymbol("("))
      cursor.Fail("UPDATE ... SET (columns) = (query) is not supported by the script loader");
    std::vector<std::string> path{cursor.Name("a column name")};
    if (cursor.AcceptSymbol(".")) path.push_back(cursor.Name("a column name"));
    Assignment assignment;
    assignment.column = known.columns.size();
    for (std::size_t c = 0; c < known.columns.size(); ++c)
      if (known.columns[c].name == path.back()) assignment.column = c;
    if (assignment.column == known.columns.size())
      cursor.Fail("ORA-00904: " + QuoteOracleName(path.back()) + ": invalid identifier");
    cursor.ExpectSymbol("=");
    if (AtDefault(cursor) || (cursor.Peek().IsWord("DEFAULT") && cursor.Peek(1).IsWord("WHERE")) ||
        (cursor.Peek().IsWord("DEFAULT") && cursor.Peek(1).kind == TokenKind::End)) {
      cursor.Next();
    } else {
      assignment.expression = cursor.Position();
      SkipExpression(cursor, {"WHERE"});
    }
    assignments.push_back(assignment);
  } while (cursor.AcceptSymbol(","));
  std::optional<std::size_t> where;
  if (cursor.AcceptWord("WHERE")) where = cursor.Position();
  if (!where && !cursor.AtEnd()) cursor.FailUnexpected("WHERE or the end of the UPDATE statement");

  const std::vector<Variant>* row = nullptr;
  const ExpressionContext context = RowContext(context_, known.columns, name.name, alias, row);
  const DefaultContext defaults{context_.currentUser, context_.userId};
  long changed = 0;
  Atomically([&] {
    changed = target_.ChangeRows(owner, name.name, [&](const std::vector<Variant>& values) {
      row = &values;
      ScriptTarget::RowChange change;
      if (!RowMatches(cursor, where, context, "UPDATE")) return change;
      change.kind = ScriptTarget::RowChange::Kind::Update;
      change.values.resize(known.columns.size());
      for (const Assignment& assignment : assignments) {
        const ColumnDefinition& column = known.columns[assignment.column];
        const std::string path = ColumnPath(owner, name.name, column.name);
        Variant value;
        if (assignment.expression) {
          cursor.Seek(*assignment.expression);
          value = FitToColumn(EvaluateExpression(cursor, context), column, path, context_);
        } else if (column.identity) {
          value =
              Variant::FromDecimal(target_.NextSequenceValue(owner, column.identity->sequenceName));
        } else if (column.dataDefault) {
          value = EvaluateColumnDefault(*column.dataDefault, defaults);
        }
        if (!column.nullable && value.Kind() == VariantKind::Null)
          throw StatementError(line, "ORA-01407: cannot update (" + path + ") to NULL");
        change.values[assignment.column] = std::move(value);
      }
      return change;
    });
  });
  (void)result;
  (void)changed;
}

void ScriptLoader::RunDelete(TokenCursor& cursor, LoadResult& result, Scope* scope) {
  (void)scope;
  (void)result;
  cursor.AcceptWord("FROM");
  QualifiedName name = ReadQualifiedName(cursor, "a table name");
  const std::string owner = OwnerOr(name.owner, cursor);
  std::string alias;
  if (cursor.PeekIsName() && !cursor.Peek().IsWord("WHERE")) alias = cursor.Next().Name();
  const KnownTable& known = TableFor(owner, name.name, cursor);
  std::optional<std::size_t> where;
  if (cursor.AcceptWord("WHERE")) where = cursor.Position();
  if (!where && !cursor.AtEnd()) cursor.FailUnexpected("WHERE or the end of the DELETE statement");
  const std::vector<Variant>* row = nullptr;
  const ExpressionContext context = RowContext(context_, known.columns, name.name, alias, row);
  Atomically([&] {
    target_.ChangeRows(owner, name.name, [&](const std::vector<Variant>& values) {
      row = &values;
      ScriptTarget::RowChange change;
      if (!RowMatches(cursor, where, context, "DELETE")) return change;
      change.kind = ScriptTarget::RowChange::Kind::Delete;
      return change;
    });
  });
}

void ScriptLoader::RunTruncate(TokenCursor& cursor, LoadResult& result) {
  cursor.ExpectWord("TABLE");
  QualifiedName name = ReadQualifiedName(cursor, "a table name");
  const std::string owner = OwnerOr(name.owner, cursor);
  TableFor(owner, name.name, cursor);
  target_.TruncateTable(owner, name.name);
  ++result.statementsRun;
}

void ScriptLoader::RunDrop(TokenCursor& cursor, int line, LoadResult& result, Scope* scope) {
  const bool sequence = cursor.AcceptWord("SEQUENCE");
  if (!sequence) cursor.ExpectWord("TABLE");
  QualifiedName name = ReadQualifiedName(cursor, sequence ? "a sequence name" : "a table name");
  const std::string owner = OwnerOr(name.owner, cursor);
  bool cascade = false;
  while (!cursor.AtEnd()) {
    if (cursor.AcceptWord("CASCADE")) {
      cursor.ExpectWord("CONSTRAINTS");
      cascade = true;
    } else if (!cursor.AcceptWord("PURGE")) {
      cursor.FailUnexpected("CASCADE CONSTRAINTS, PURGE or the end of the statement");
    }
  }
  const std::string what = std::string(sequence ? "SEQUENCE " : "TABLE ") + name.name;
  try {
    if (sequence) {
      target_.DropSequence(owner, name.name);
      currentValues_.erase({owner, name.name});
    } else {
      std::vector<std::string> keys;
      if (auto found = tables_.find({owner, name.name}); found != tables_.end())
        for (const ConstraintDefinition& constraint : found->second.constraints)
          if (constraint.type == 'P' || constraint.type == 'U') keys.push_back(constraint.name);
      target_.DropTable(owner, name.name, cascade);
      tables_.erase({owner, name.name});
      // CASCADE CONSTRAINTS took the foreign keys that referred to the table with it.
      for (auto& [key, other] : tables_)
        std::erase_if(other.constraints, [&](const ConstraintDefinition& constraint) {
          return constraint.type == 'R' && constraint.refOwner == owner &&
                 std::find(keys.begin(), keys.end(), constraint.refConstraintName) != keys.end();
        });
    }
  } catch (const std::runtime_error& error) {
    const std::string message = UserMessageOf(error).text;
    // A script that starts by dropping what it is about to create runs on a fresh instance
    // too: what is not there need not be dropped. Inside a block the error is the block's to
    // handle, as in Oracle.
    if (!scope && (message.starts_with("ORA-00942") || message.starts_with("ORA-02289"))) {
      Notice(line, "skipped DROP " + what + ": it does not exist", result);
      return;
    }
    throw StatementError(line, message);
  }
  ++result.statementsRun;
}

void ScriptLoader::RunCreateSequence(TokenCursor& cursor, LoadResult& result) {
  QualifiedName name = ReadQualifiedName(cursor, "a sequence name");
  const std::string owner = OwnerOr(name.owner, cursor);
  const SequenceOptions options = ReadSequenceOptions(cursor, OptionsEnd::Statement);
  target_.CreateSequence(owner, name.name, options);
  ++result.statementsRun;
}

}  // namespace skerrow::oracle
