#pragma once

#include <string>

namespace skerrow {

// Something the MySQL table does not keep as the source declared it, though no value is lost
// by it: told in the report, a warning rather than an error.
struct SchemaNote {
  enum class Kind {
    // The column was created without the source's DEFAULT.
    DefaultDropped,
    // A VARCHAR column became TEXT or MEDIUMTEXT so that the server would take the table.
    ColumnWidened,
    // The column's type is not the one the rules give its source type (e.g. a scale MySQL
    // cannot declare keeps DOUBLE, whose rounded values are reported one by one).
    TypeChanged,
  };

  Kind kind = Kind::DefaultDropped;
  std::string column;
  // The source's text: the DEFAULT expression, or the source type.
  std::string sourceText;
  // The MySQL type the column got; empty for a dropped default.
  std::string targetType;
  // Why, in words.
  std::string reason;

  friend bool operator==(const SchemaNote&, const SchemaNote&) = default;
};

// "defaultDropped", "columnWidened", "typeChanged": the kind's name in reports.
const char* SchemaNoteKindName(SchemaNote::Kind kind);

// The note as one sentence for the operator, e.g. "the default SYSTIMESTAMP of CREATED_AT was
// left out: MySQL has no such column default".
std::string SchemaNoteText(const SchemaNote& note);

}  // namespace skerrow
