#include "schema/table_definition.h"

#include <algorithm>

#include "db/target_connection.h"
#include "schema/column_catalog.h"
#include "schema/column_type_mapping.h"
#include "schema/default_translation.h"
#include "text/ascii.h"
#include "text/utf8.h"

namespace skerrow {

namespace {

// The longest CHAR MySQL declares; longer ones become VARCHAR.
constexpr long kMaxCharLength = 255;
// What a TEXT column holds; four bytes per utf8mb4 character.
constexpr long kTextBytes = 65535;
constexpr long kBytesPerCharacter = 4;
// Default texts shown in a note are cut to this many characters.
constexpr std::size_t kShownDefaultCharacters = 200;

// A character column's length in characters: CHAR_LENGTH where the source gives one, else
// DATA_LENGTH.
std::string CharacterLength(const ColumnDescriptor& column) {
  const std::optional<long> characters = CatalogNumber(column.charLength);
  return characters && *characters > 0 ? std::to_string(*characters) : column.dataLength;
}

// Key columns MySQL can index only by a prefix.
bool NeedsKeyPrefix(const std::string& sourceType) {
  for (const char* type : {"BLOB", "RAW", "LONG RAW", "CLOB", "ROWID"})
    if (sourceType == type) return true;
  return false;
}

std::string ShownDefault(const std::string& text) {
  const std::string_view shown = text::Utf8Prefix(text, kShownDefaultCharacters);
  return shown.size() < text.size() ? std::string(shown) + "..." : text;
}

void NoteDroppedDefault(TableDefinition& definition, const ColumnDefinitionParts& column,
                        std::string reason) {
  definition.notes.push_back({SchemaNote::Kind::DefaultDropped, column.name,
                              ShownDefault(column.sourceDefault), "", std::move(reason)});
}

// Type and length of one column; a CHAR longer than MySQL's CHAR becomes a VARCHAR.
void SetTypeAndLength(ColumnDefinitionParts& parts, const ColumnDescriptor& column) {
  if (parts.type == "VARCHAR") {
    const std::string length = CharacterLength(column);
    parts.length = "(" + length + ") ";
    parts.characters = CatalogNumber(length).value_or(0);
  } else if (parts.type == "CHAR") {
    const std::string_view sourceType = text::TrimmedView(column.dataType);
    if (sourceType != "CHAR" && sourceType != "NCHAR") {
      parts.length = "(255) ";  // a type that only has CHAR in its name
      return;
    }
    const std::string length = CharacterLength(column);
    parts.length = "(" + length + ") ";
    const std::optional<long> characters = CatalogNumber(length);
    if (characters && *characters > kMaxCharLength) {
      parts.type = "VARCHAR";
      parts.characters = *characters;
    }
  }
}

void TranslateColumnDefault(TableDefinition& definition, ColumnDefinitionParts& parts,
                            bool suppressDefault, const SqlEscaper& escape) {
  const DefaultTranslation translation = TranslateDefault(parts.sourceDefault, escape);
  if (suppressDefault) {
    if (!translation.clause.empty() || translation.droppedBecause)
      NoteDroppedDefault(definition, parts,
                         "defaults of " + parts.sourceType + " columns are not kept");
    return;
  }
  if (translation.droppedBecause)
    NoteDroppedDefault(definition, parts, *translation.droppedBecause);
  parts.defaultClause = translation.clause;
}

}  // namespace

TableDefinition BuildTableDefinition(TableColumnLists& lists,
                                     const std::vector<ColumnDescriptor>& catalog,
                                     const SqlEscaper& escape) {
  TableDefinition definition;
  for (std::size_t position = 0; position < catalog.size(); ++position) {
    const ColumnDescriptor& column = catalog[position];
    ColumnDefinitionParts parts;
    parts.name = column.columnName;
    parts.sourceType = text::TrimWhiteSpace(column.dataType);
    parts.sourceDefault = column.dataDefault;
    bool suppressDefault = false;
    parts.type = MapColumnType(lists, column, position, suppressDefault);
    SetTypeAndLength(parts, column);
    parts.keyPrefix = NeedsKeyPrefix(column.dataType);
    parts.notNull = column.nullable == "N" && !lists.HasSkippedColumns;
    TranslateColumnDefault(definition, parts, suppressDefault, escape);
    if (const std::optional<std::string> why = NumberTargetOf(column).keptDoubleBecause)
      definition.notes.push_back(
          {SchemaNote::Kind::TypeChanged, parts.name, parts.sourceType, parts.type, *why});
    definition.columns.push_back(std::move(parts));
  }
  return definition;
}

std::string ColumnDefinitionsText(const TableDefinition& definition) {
  std::string text;
  for (std::size_t i = 0; i < definition.columns.size(); ++i) {
    const ColumnDefinitionParts& column = definition.columns[i];
    if (i > 0) text += ',';
    text += QuoteMySqlIdentifier(column.name) + " " + column.type + " " + column.length;
    if (column.notNull) text += "NOT NULL ";
    text += column.defaultClause;
  }
  return text;
}

bool WidenLongestVarchar(TableDefinition& definition, unsigned errorNumber) {
  auto longest = definition.columns.end();
  for (auto it = definition.columns.begin(); it != definition.columns.end(); ++it)
    if (it->characters > 0 &&
        (longest == definition.columns.end() || it->characters > longest->characters))
      longest = it;
  if (longest == definition.columns.end()) return false;
  const std::string characters = std::to_string(longest->characters);
  const std::string declared = "VARCHAR(" + characters + ")";
  longest->type = longest->characters * kBytesPerCharacter > kTextBytes ? "MEDIUMTEXT" : "TEXT";
  longest->length.clear();
  longest->characters = 0;
  longest->keyPrefix = true;
  const std::string reason =
      errorNumber == kErrorColumnLengthTooBig
          ? "MySQL's VARCHAR holds at most 16,383 characters, not " + characters +
                " (MySQL error 1074)"
          : "as " + declared +
                " the table's row was larger than MySQL's 65,535 bytes (MySQL error 1118)";
  definition.notes.push_back(
      {SchemaNote::Kind::ColumnWidened, longest->name, longest->sourceType, longest->type, reason});
  return true;
}

bool DropRefusedDefaults(TableDefinition& definition, const std::string& refusal) {
  const auto named = std::find_if(
      definition.columns.begin(), definition.columns.end(), [&](const ColumnDefinitionParts& c) {
        return !c.defaultClause.empty() && refusal.find("'" + c.name + "'") != std::string::npos;
      });
  bool dropped = false;
  for (auto& column : definition.columns) {
    if (column.defaultClause.empty()) continue;
    if (named != definition.columns.end() && &column != &*named) continue;
    column.defaultClause.clear();
    NoteDroppedDefault(definition, column, "MySQL refused it: " + refusal);
    dropped = true;
  }
  return dropped;
}

}  // namespace skerrow
