// The loader's statements about indexes, comments and the state of constraints.
#include <algorithm>

#include "oracle/loader/script_index_parser.h"
#include "oracle/loader/script_loader.h"
#include "oracle/oracle_names.h"

namespace skerrow::oracle {

void ScriptLoader::RunCreateIndex(TokenCursor& cursor, bool unique, bool bitmap, int line,
                                  LoadResult& result) {
  const IndexDeclaration declaration = ParseCreateIndex(cursor, unique, bitmap);
  if (!cursor.AtEnd()) cursor.FailUnexpected("the end of the statement");
  const std::string what = std::string("CREATE ") +
                           (unique   ? "UNIQUE "
                            : bitmap ? "BITMAP "
                                     : "") +
                           "INDEX " + declaration.name;
  if (!declaration.unsupported.empty()) {
    Notice(line, "skipped " + what + ": " + declaration.unsupported, result);
    return;
  }
  const std::string owner = OwnerOr(declaration.tableOwner, cursor);
  if (!tables_.count({owner, declaration.table}) &&
      !target_.DescribeTable(owner, declaration.table)) {
    // Views and materialized views are not kept, so neither are their indexes.
    Notice(line,
           "skipped " + what + ": " + QuoteOracleName(owner) + "." +
               QuoteOracleName(declaration.table) + " is not a table of the instance",
           result);
    return;
  }
  const KnownTable& known = TableFor(owner, declaration.table, cursor);
  target_.CreateIndex(owner, declaration.table, ToIndexDefinition(declaration, known.columns));
  if (!declaration.owner.empty() && declaration.owner != owner)
    Notice(line, what + ": kept in the schema of its table, " + owner, result);
  ++result.statementsRun;
}

void ScriptLoader::RunDropIndex(TokenCursor& cursor, int line, LoadResult& result) {
  const QualifiedName name = ReadQualifiedName(cursor, "an index name");
  while (cursor.AcceptWord("FORCE") || cursor.AcceptWord("ONLINE") ||
         cursor.AcceptWord("DEFERRED") || cursor.AcceptWord("IMMEDIATE") ||
         cursor.AcceptWord("INVALIDATION")) {
  }
  if (!cursor.AtEnd()) cursor.FailUnexpected("the end of the statement");
  try {
    target_.DropIndex(OwnerOr(name.owner, cursor), name.name);
  } catch (const std::runtime_error& error) {
    // A script that drops what it is about to create runs on a fresh instance too.
    if (!currentScope_ && std::string_view(error.what()).starts_with("ORA-01418")) {
      Notice(line, "skipped DROP INDEX " + name.name + ": it does not exist", result);
      return;
    }
    throw;
  }
  ++result.statementsRun;
}

void ScriptLoader::RunComment(TokenCursor& cursor, int line, LoadResult& result) {
  const CommentDeclaration comment = ParseComment(cursor);
  if (!comment.otherObject.empty()) {
    Notice(line, "skipped COMMENT ON " + comment.otherObject, result);
    return;
  }
  const std::string owner = OwnerOr(comment.owner, cursor);
  if (!tables_.count({owner, comment.table}) && !target_.DescribeTable(owner, comment.table)) {
    Notice(line,
           "skipped COMMENT ON " + std::string(comment.column.empty() ? "TABLE " : "COLUMN ") +
               comment.table + (comment.column.empty() ? "" : "." + comment.column) + ": " +
               QuoteOracleName(owner) + "." + QuoteOracleName(comment.table) +
               " is not a table of the instance (views are not kept)",
           result);
    return;
  }
  target_.SetComment(owner, comment.table, comment.column, comment.text);
  ++result.statementsRun;
}

std::string ScriptLoader::ConstraintNamed(const ConstraintReference& reference,
                                          const std::string& owner, const std::string& table,
                                          const TokenCursor& cursor) {
  if (!reference.name.empty()) return reference.name;
  const KnownTable& known = TableFor(owner, table, cursor);
  for (const ConstraintDefinition& constraint : known.constraints) {
    if (constraint.type != reference.keyType) continue;
    if (reference.keyType == 'U') {
      std::vector<std::string> wanted = reference.columns;
      std::vector<std::string> have = constraint.columns;
      std::sort(wanted.begin(), wanted.end());
      std::sort(have.begin(), have.end());
      if (wanted != have) continue;
    }
    return constraint.name;
  }
  cursor.Fail(
      reference.keyType == 'P'
          ? "ORA-02441: Cannot drop nonexistent primary key (" + QuoteOracleName(table) + ")"
          : "ORA-02442: Cannot drop nonexistent unique key (" + QuoteOracleName(table) + ")");
}

void ScriptLoader::RunConstraintDrop(TokenCursor& cursor, const std::string& owner,
                                     const std::string& table, LoadResult& result) {
  const ConstraintDrop drop = ParseConstraintDrop(cursor);
  const std::string name = ConstraintNamed(drop.constraint, owner, table, cursor);
  target_.DropConstraint(owner, table, name, drop.cascade, drop.keepIndex);
  KnownTable& known = tables_[{owner, table}];
  std::erase_if(known.constraints,
                [&](const ConstraintDefinition& constraint) { return constraint.name == name; });
  // CASCADE took the foreign keys that referred to the key with it.
  for (auto& [key, other] : tables_)
    std::erase_if(other.constraints, [&](const ConstraintDefinition& constraint) {
      return constraint.type == 'R' && constraint.refOwner == owner &&
             constraint.refConstraintName == name;
    });
  // A dropped primary key or NOT NULL check leaves its columns nullable.
  if (auto columns = target_.DescribeTable(owner, table)) {
    known.columns = std::move(*columns);
    known.columnPaths.clear();
  }
  ++result.statementsRun;
}

void ScriptLoader::RunConstraintStateChange(TokenCursor& cursor, const std::string& owner,
                                            const std::string& table, int line,
                                            LoadResult& result) {
  const ConstraintStateChange change = ParseConstraintStateChange(cursor);
  const std::string name = ConstraintNamed(change.constraint, owner, table, cursor);
  // ENABLE validates unless told otherwise; DISABLE does not.
  const bool validated = change.validate.value_or(change.enable);
  target_.SetConstraintEnabled(owner, table, name, change.enable, validated);
  for (ConstraintDefinition& constraint : tables_[{owner, table}].constraints)
    if (constraint.name == name) {
      constraint.enabled = change.enable;
      constraint.validated = validated;
    }
  std::string state = change.enable ? "enabled" : "disabled";
  if (change.validate) state += *change.validate ? " (VALIDATE)" : " (NOVALIDATE)";
  Notice(line,
         state + " constraint " + name + " of " + table +
             " (the dictionary's STATUS; rows are not checked)",
         result);
}

}  // namespace skerrow::oracle
