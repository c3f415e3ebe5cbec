#include "transfer/schema_note.h"

namespace skerrow {

const char* SchemaNoteKindName(SchemaNote::Kind kind) {
  switch (kind) {
    case SchemaNote::Kind::DefaultDropped:
      return "defaultDropped";
    case SchemaNote::Kind::ColumnWidened:
      return "columnWidened";
    case SchemaNote::Kind::TypeChanged:
      return "typeChanged";
  }
  return "note";
}

std::string SchemaNoteText(const SchemaNote& note) {
  std::string text;
  switch (note.kind) {
    case SchemaNote::Kind::DefaultDropped:
      text = "the default " + note.sourceText + " of " + note.column + " was left out";
      break;
    case SchemaNote::Kind::ColumnWidened:
      text = note.column + " became " + note.targetType;
      break;
    case SchemaNote::Kind::TypeChanged:
      text = note.column + " (" + note.sourceText + ") became " + note.targetType;
      break;
  }
  if (!note.reason.empty()) text += ": " + note.reason;
  return text;
}

}  // namespace skerrow
