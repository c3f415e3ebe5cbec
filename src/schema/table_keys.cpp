#include "schema/table_keys.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "db/target_connection.h"
#include "schema/check_translation.h"
#include "text/ascii.h"
#include "text/utf8.h"
#include "transfer/statement_pipe.h"

namespace skerrow {

namespace {

constexpr std::size_t kMaxKeyNameCharacters = 64;
// As the primary key: MyISAM keys hold at most 1000 bytes, 250 utf8mb4 characters.
constexpr long kKeyPrefixCharacters = 250;
constexpr const char* kKeyPrefix = "(250)";

struct KeyColumn {
  std::string name;
  bool descending = false;
  friend bool operator==(const KeyColumn&, const KeyColumn&) = default;
};

const ColumnDefinitionParts* FindColumn(const TableDefinition& definition,
                                        const std::string& name) {
  for (const auto& column : definition.columns)
    if (column.name == name) return &column;
  return nullptr;
}

bool NeedsPrefix(const ColumnDefinitionParts& column) {
  if (column.keyPrefix) return true;
  if (column.type.find("TEXT") != std::string::npos ||
      column.type.find("BLOB") != std::string::npos)
    return true;
  return column.characters > kKeyPrefixCharacters;
}

std::string ColumnListText(const std::vector<KeyColumn>& columns) {
  std::string text;
  for (const auto& column : columns) {
    if (!text.empty()) text += ", ";
    text += column.name + (column.descending ? " DESC" : "");
  }
  return "(" + text + ")";
}

// A DESC column of a function-based index shows as its quoted name: "LAST_NAME".
std::optional<std::string> QuotedColumnName(const std::string& expression) {
  if (expression.size() < 3 || expression.front() != '"' || expression.back() != '"')
    return std::nullopt;
  const std::string inner = expression.substr(1, expression.size() - 2);
  if (inner.find('"') != std::string::npos) return std::nullopt;
  return inner;
}

long IdentityOption(const std::string& options, const std::string& label, long fallback) {
  const auto at = options.find(label + ": ");
  if (at == std::string::npos) return fallback;
  const char* begin = options.data() + at + label.size() + 2;
  long value = fallback;
  std::from_chars(begin, options.data() + options.size(), value);
  return value;
}

class Planner {
 public:
  Planner(const TableDefinition& definition, const SqlEscaper& escape)
      : definition_(definition), escape_(escape) {
    used_.push_back("PRIMARY");
  }

  TableKeyPlan plan;

  void Note(const std::string& what, const std::string& sourceText, const std::string& reason,
            const std::string& became = {}) {
    plan.notes.push_back({SchemaNote::Kind::LeftOut, what, sourceText, became, reason});
  }

  // The key name: the source's, cut to 64 characters and made unique (case-insensitively, as
  // MySQL compares key names) with a number.
  std::string UniqueName(const std::string& source) {
    for (int n = 1;; ++n) {
      const std::string suffix = n == 1 ? "" : "_" + std::to_string(n);
      std::string name =
          std::string(text::Utf8Prefix(source, kMaxKeyNameCharacters - suffix.size())) + suffix;
      const std::string upper = text::ToUpperAscii(name);
      if (std::none_of(used_.begin(), used_.end(),
                       [&](const std::string& u) { return text::ToUpperAscii(u) == upper; })) {
        used_.push_back(name);
        return name;
      }
    }
  }

  void RememberKey(std::vector<KeyColumn> columns, bool unique, const std::string& name) {
    keys_.push_back({std::move(columns), unique, name});
  }

  // The key this one repeats, if any: the same columns in the same order and directions, and
  // at least as strict.
  const std::string* Repeated(const std::vector<KeyColumn>& columns, bool unique) const {
    for (const auto& key : keys_)
      if (key.columns == columns && (key.unique || !unique)) return &key.name;
    return nullptr;
  }

  // Adds the key, or notes why not. `what` reads "index EMP_IX" or "unique key EMP_UK".
  void AddKey(const std::string& sourceName, bool generatedName, const std::string& what,
              const std::vector<KeyColumn>& columns, bool unique, const std::string& became) {
    for (const auto& column : columns)
      if (!FindColumn(definition_, column.name)) {
        Note(what, ColumnListText(columns), "its column " + column.name + " was not converted");
        return;
      }
    if (const std::string* repeated = Repeated(columns, unique)) {
      Note(what, ColumnListText(columns), "it repeats the key " + *repeated);
      return;
    }
    // A name the source made up means nothing in MySQL: the key is named after its first
    // column, as MySQL names a key given without one.
    const std::string name = UniqueName(generatedName ? columns.front().name : sourceName);
    std::string references;
    bool prefixed = false;
    for (const auto& column : columns) {
      if (!references.empty()) references += ',';
      references += QuoteMySqlIdentifier(column.name);
      if (NeedsPrefix(*FindColumn(definition_, column.name))) {
        references += kKeyPrefix;
        prefixed = true;
      }
      if (column.descending) references += " DESC";
    }
    const std::string kind = unique ? "UNIQUE KEY" : "KEY";
    KeyClausePart part;
    part.clause = "ADD " + kind + " " + QuoteMySqlIdentifier(name) + "(" + references + ")";
    part.description = kind + " " + name + " " + ColumnListText(columns);
    part.what = what;
    part.sourceText = ColumnListText(columns);
    plan.parts.push_back(std::move(part));
    RememberKey(columns, unique, name);
    if (!became.empty()) Note(what, ColumnListText(columns), became, kind + " " + name);
    if (prefixed && unique)
      Note(what, ColumnListText(columns),
           "MySQL keys only the first " + std::to_string(kKeyPrefixCharacters) +
               " characters of its text and binary columns, so values alike in those are "
               "refused",
           kind + " " + name + " on prefixes");
  }

  bool KeyedFirst(const std::string& column) const {
    return std::any_of(keys_.begin(), keys_.end(), [&](const Key& key) {
      return !key.columns.empty() && key.columns.front().name == column;
    });
  }

 private:
  struct Key {
    std::vector<KeyColumn> columns;
    bool unique;
    std::string name;
  };
  const TableDefinition& definition_;
  const SqlEscaper& escape_;
  std::vector<std::string> used_;
  std::vector<Key> keys_;
};

// "check EMP_SALARY_MIN"; a name the source made up (SYS_C0012345) differs from one instance
// to the next and is left out: "check".
std::string Named(const std::string& kind, const std::string& name, bool generated) {
  return generated ? kind : kind + " " + name;
}

std::vector<KeyColumn> PlainColumns(const std::vector<std::string>& names) {
  std::vector<KeyColumn> columns;
  for (const auto& name : names) columns.push_back({name, false});
  return columns;
}

std::string ForeignKeyText(const SourceConstraint& key) {
  std::string text = "(";
  for (std::size_t i = 0; i < key.columns.size(); ++i) text += (i ? ", " : "") + key.columns[i];
  text += ") REFERENCES " + (key.refTable.empty() ? key.refConstraintName : key.refTable) + " (";
  for (std::size_t i = 0; i < key.refColumns.size(); ++i)
    text += (i ? ", " : "") + key.refColumns[i];
  text += ")";
  if (!key.deleteRule.empty() && key.deleteRule != "NO ACTION")
    text += " ON DELETE " + key.deleteRule;
  return text;
}

// The comment text MySQL can keep: cut to `limit` characters, with a note when cut.
std::string KeptComment(Planner& planner, const std::string& what, const std::string& text,
                        std::size_t limit) {
  const std::string_view kept = text::Utf8Prefix(text, limit);
  if (kept.size() < text.size())
    planner.Note(what, {},
                 "MySQL keeps at most " + std::to_string(limit) + " characters of a comment",
                 "its first " + std::to_string(limit) + " characters");
  return std::string(kept);
}

std::string ColumnDefinitionText(const ColumnDefinitionParts& column) {
  std::string text = QuoteMySqlIdentifier(column.name) + " " + column.type + " " + column.length;
  if (column.notNull) text += "NOT NULL ";
  text += column.defaultClause;
  return text::TrimWhiteSpace(text);
}

}  // namespace

TableKeyPlan PlanTableKeys(const TableKeyCatalog& catalog, const TableDefinition& definition,
                           bool primaryKeyAdded, const std::vector<IdentityValues>& identityValues,
                           const SqlEscaper& escape) {
  Planner planner(definition, escape);
  std::vector<std::string> consumedIndexes;
  std::vector<std::string> columnNames;
  for (const auto& column : definition.columns) columnNames.push_back(column.name);

  const auto indexNamed = [&](const std::string& name) -> const SourceIndex* {
    for (const auto& index : catalog.indexes)
      if (index.name == name) return &index;
    return nullptr;
  };

  // The primary key is in the table already; its index is its own.
  for (const auto& constraint : catalog.constraints) {
    if (constraint.type != 'P') continue;
    consumedIndexes.push_back(constraint.indexName);
    if (primaryKeyAdded) planner.RememberKey(PlainColumns(constraint.columns), true, "PRIMARY");
  }

  // Unique constraints, with the directions of the index that enforces them.
  for (const auto& constraint : catalog.constraints) {
    if (constraint.type != 'U') continue;
    const std::string what = Named("unique key", constraint.name, constraint.generatedName);
    std::vector<KeyColumn> columns = PlainColumns(constraint.columns);
    if (!constraint.enabled) {
      planner.Note(what, ColumnListText(columns), "it is disabled in the source");
      continue;
    }
    if (const SourceIndex* index = indexNamed(constraint.indexName)) {
      consumedIndexes.push_back(index->name);
      for (auto& column : columns)
        for (const auto& indexed : index->columns)
          if (indexed.column == column.name) column.descending = indexed.descending;
    }
    planner.AddKey(constraint.name, constraint.generatedName, what, columns, true, {});
  }

  // Other indexes: unique ones first, so a plain index repeating one is left out.
  for (const bool unique : {true, false}) {
    for (const auto& index : catalog.indexes) {
      if (index.unique != unique) continue;
      if (std::find(consumedIndexes.begin(), consumedIndexes.end(), index.name) !=
          consumedIndexes.end())
        continue;
      // Oracle's own index of a LOB column has no counterpart to make.
      if (index.type == "LOB") continue;
      const std::string what = Named("index", index.name, index.generatedName);
      const bool functionBased = index.type.starts_with("FUNCTION-BASED");
      const bool bitmap = index.type.find("BITMAP") != std::string::npos;
      if (!functionBased && !bitmap && index.type != "NORMAL" && index.type != "NORMAL/REV") {
        planner.Note(what, index.type, "MySQL has no such index");
        continue;
      }
      std::vector<KeyColumn> columns;
      std::string expressions;
      for (const auto& column : index.columns) {
        if (column.expression.empty()) {
          columns.push_back({column.column, column.descending});
        } else if (const auto name = QuotedColumnName(column.expression)) {
          columns.push_back({*name, column.descending});
        } else {
          expressions += (expressions.empty() ? "" : ", ") + column.expression +
                         (column.descending ? " DESC" : "");
        }
      }
      if (!expressions.empty()) {
        planner.Note(what, "(" + expressions + ")",
                     "MySQL's keys index columns, not expressions (a function-based index)");
        continue;
      }
      planner.AddKey(index.name, index.generatedName, what, columns, unique,
                     bitmap ? "MySQL has no bitmap indexes" : std::string());
    }
  }

  // Checks: Oracle's own NOT NULL checks are the columns' NOT NULL already.
  for (const auto& constraint : catalog.constraints) {
    if (constraint.type != 'C') continue;
    std::string notNullColumn;
    if (IsNotNullCheck(constraint.searchCondition, notNullColumn)) continue;
    const std::string what = Named("check", constraint.name, constraint.generatedName);
    if (!constraint.enabled) {
      planner.Note(what, "(" + constraint.searchCondition + ")", "it is disabled in the source");
      continue;
    }
    const CheckTranslation translation =
        TranslateCheckCondition(constraint.searchCondition, columnNames, escape);
    if (!translation.translated) {
      planner.Note(what, "(" + constraint.searchCondition + ")",
                   "the condition cannot be translated: " + translation.reason);
      continue;
    }
    // MySQL names a check given without a name itself (CONSTRAINT_1, ...).
    const std::string name =
        constraint.generatedName ? std::string() : planner.UniqueName(constraint.name);
    KeyClausePart part;
    part.clause = "ADD " + (name.empty() ? "" : "CONSTRAINT " + QuoteMySqlIdentifier(name) + " ") +
                  "CHECK (" + translation.expression + ")";
    part.description =
        "CHECK " + (name.empty() ? "" : name + " ") + "(" + translation.expression + ")";
    part.what = what;
    part.sourceText = "(" + constraint.searchCondition + ")";
    planner.plan.parts.push_back(std::move(part));
  }

  // Foreign keys: MyISAM tables accept the clause and keep nothing of it.
  for (const auto& constraint : catalog.constraints) {
    if (constraint.type != 'R') continue;
    planner.Note(Named("foreign key", constraint.name, constraint.generatedName),
                 ForeignKeyText(constraint), "MyISAM tables do not keep foreign keys");
  }

  // Identity columns, with their column comment when there is one.
  std::vector<std::string> identityColumns;
  for (std::size_t i = 0; i < catalog.identities.size(); ++i) {
    const SourceIdentity& identity = catalog.identities[i];
    const ColumnDefinitionParts* column = FindColumn(definition, identity.column);
    if (column == nullptr) continue;
    const std::string what = "identity column " + identity.column;
    const IdentityValues values = i < identityValues.size() ? identityValues[i] : IdentityValues{};
    if (!values.fitsBigint) {
      planner.Note(what, identity.options,
                   "its values are not all whole, non-zero and within a signed 64-bit integer, "
                   "so it stays " +
                       column->type + " without AUTO_INCREMENT");
      continue;
    }
    std::string clause;
    if (!planner.KeyedFirst(identity.column)) {
      // MySQL counts only a column that leads a key.
      const std::string keyName = planner.UniqueName(identity.column);
      clause = "ADD KEY " + QuoteMySqlIdentifier(keyName) + "(" +
               QuoteMySqlIdentifier(identity.column) + "),";
      planner.RememberKey({{identity.column, false}}, false, keyName);
    }
    std::string comment;
    for (const auto& c : catalog.comments)
      if (c.column == identity.column)
        comment = " COMMENT '" +
                  escape(KeptComment(planner, "the comment of " + c.column, c.text,
                                     kMaxColumnCommentCharacters)) +
                  "'";
    clause += "MODIFY COLUMN " + QuoteMySqlIdentifier(identity.column) +
              " BIGINT NOT NULL AUTO_INCREMENT" + comment +
              ",AUTO_INCREMENT=" + std::to_string(values.nextValue);
    identityColumns.push_back(identity.column);
    KeyClausePart part;
    part.clause = std::move(clause);
    part.description = "AUTO_INCREMENT " + identity.column + " (BIGINT, next " +
                       std::to_string(values.nextValue) + ")";
    part.what = what;
    part.sourceText = identity.options;
    part.identityColumn = identity.column;
    planner.plan.parts.push_back(std::move(part));
    const long start = IdentityOption(identity.options, "START WITH", 1);
    const long step = IdentityOption(identity.options, "INCREMENT BY", 1);
    if (start != 1 || step != 1)
      planner.Note("the generator of " + identity.column,
                   "START WITH " + std::to_string(start) + " INCREMENT BY " + std::to_string(step),
                   "AUTO_INCREMENT goes on by 1 from past the largest copied value");
  }

  // Comments.
  for (const auto& comment : catalog.comments) {
    if (comment.column.empty()) {
      const std::string text =
          KeptComment(planner, "the table's comment", comment.text, kMaxTableCommentCharacters);
      KeyClausePart part;
      part.clause = "COMMENT='" + escape(text) + "'";
      part.description = "COMMENT on the table";
      part.what = "the table's comment";
      planner.plan.parts.push_back(std::move(part));
      continue;
    }
    if (std::find(identityColumns.begin(), identityColumns.end(), comment.column) !=
        identityColumns.end())
      continue;
    const ColumnDefinitionParts* column = FindColumn(definition, comment.column);
    const std::string what = "the comment of " + comment.column;
    if (column == nullptr) {
      planner.Note(what, {}, "the column was not converted");
      continue;
    }
    const std::string text = KeptComment(planner, what, comment.text, kMaxColumnCommentCharacters);
    KeyClausePart part;
    part.clause =
        "MODIFY COLUMN " + ColumnDefinitionText(*column) + " COMMENT '" + escape(text) + "'";
    part.description = "COMMENT on " + comment.column;
    part.what = what;
    planner.plan.parts.push_back(std::move(part));
  }
  return std::move(planner.plan);
}

std::string AlterTableStatement(const std::string& database, const std::string& table,
                                const std::vector<const KeyClausePart*>& parts) {
  std::string statement =
      "ALTER TABLE " + QuoteMySqlIdentifier(database) + "." + QuoteMySqlIdentifier(table) + " ";
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) statement += ',';
    statement += parts[i]->clause;
  }
  return statement;
}

namespace {

// Whether an identity column's copied values can become BIGINT AUTO_INCREMENT, and where the
// counter goes on. Zero would be renumbered by the change, so it does not fit either.
IdentityValues ReadIdentityValues(TargetConnection& target, const std::string& table,
                                  const std::string& column) {
  StatementPipe pipe(target);
  StatementResult failure;
  const std::string name = QuoteMySqlIdentifier(column);
  const auto misfits =
      pipe.Number("SELECT COUNT(*) FROM " + table + " WHERE " + name + " IS NOT NULL AND (" + name +
                      " <> FLOOR(" + name + ") OR " + name + " = 0 OR " + name +
                      " < -9223372036854775808 OR " + name + " > 9223372036854775807)",
                  failure);
  IdentityValues values;
  if (!misfits || *misfits != 0) {
    values.fitsBigint = false;
    return values;
  }
  const auto next = pipe.Number(
      "SELECT CAST(GREATEST(COALESCE(MAX(" + name + "), 0), 0) AS UNSIGNED) + 1 FROM " + table,
      failure);
  if (!next) {
    values.fitsBigint = false;
    return values;
  }
  values.nextValue = *next;
  return values;
}

std::string Refusal(const TargetConnection& target) {
  return target.LastErrorMessage() + " (MySQL error " + std::to_string(target.LastErrorNumber()) +
         ")";
}

}  // namespace

void AddTableKeys(const TableJob& job, const std::string& sourceTable,
                  const std::string& targetName, const TableDefinition& definition,
                  TableReport& report) {
  TableKeyCatalog catalog;
  try {
    catalog = ReadTableKeyCatalog(job.source, sourceTable);
  } catch (const SourceError& error) {
    report.schemaNotes.push_back({SchemaNote::Kind::LeftOut,
                                  "the indexes, keys and comments",
                                  {},
                                  {},
                                  std::string("the source could not list them: ") + error.what()});
    return;
  }
  TargetConnection& target = job.target;
  const std::string qualified =
      QuoteMySqlIdentifier(job.database) + "." + QuoteMySqlIdentifier(targetName);
  std::vector<IdentityValues> identityValues;
  for (const auto& identity : catalog.identities)
    identityValues.push_back(FindColumn(definition, identity.column)
                                 ? ReadIdentityValues(target, qualified, identity.column)
                                 : IdentityValues{});
  TableKeyPlan plan =
      PlanTableKeys(catalog, definition, report.keyClauseAdded, identityValues,
                    [&target](std::string_view text) { return target.EscapeString(text); });
  report.schemaNotes.insert(report.schemaNotes.end(), plan.notes.begin(), plan.notes.end());
  if (plan.parts.empty()) return;

  std::vector<const KeyClausePart*> all;
  for (const auto& part : plan.parts) all.push_back(&part);
  const auto added = [&](const KeyClausePart& part) {
    report.keysAdded.push_back(part.description);
    // AUTO_INCREMENT does what the identity's sequence default did.
    if (part.identityColumn.empty()) return;
    std::erase_if(report.schemaNotes, [&](const SchemaNote& note) {
      return note.kind == SchemaNote::Kind::DefaultDropped && note.column == part.identityColumn &&
             note.sourceText.find("ISEQ$$_") != std::string::npos;
    });
  };
  if (target.Query(AlterTableStatement(job.database, targetName, all))) {
    for (const auto* part : all) added(*part);
    return;
  }
  // One refusal would keep out everything: each part on its own, so the rest goes in.
  for (const auto* part : all) {
    if (target.LastErrorLostConnection()) {
      report.connectionLost = true;
      report.schemaNotes.push_back({SchemaNote::Kind::LeftOut,
                                    part->what,
                                    part->sourceText,
                                    {},
                                    "the connection to MySQL was lost: " + Refusal(target)});
      continue;
    }
    if (target.Query(AlterTableStatement(job.database, targetName, {part}))) {
      added(*part);
    } else {
      report.schemaNotes.push_back({SchemaNote::Kind::LeftOut,
                                    part->what,
                                    part->sourceText,
                                    {},
                                    "MySQL refused it: " + Refusal(target)});
    }
  }
}

}  // namespace skerrow
