#pragma once

#include <optional>
#include <string>
#include <vector>

#include "schema/column_descriptor.h"
#include "transfer/render_value.h"
#include "transfer/schema_note.h"
#include "transfer/table_column_lists.h"

namespace skerrow {

// The server's answers that a table's definition can be mended for.
inline constexpr unsigned kErrorUnknownColumn = 1054;
inline constexpr unsigned kErrorInvalidDefault = 1067;
inline constexpr unsigned kErrorColumnLengthTooBig = 1074;
// MySQL before 8.0.13: a TEXT or BLOB column cannot have a default.
inline constexpr unsigned kErrorTextDefault = 1101;
inline constexpr unsigned kErrorRowSizeTooLarge = 1118;

// One column's definition in the CREATE TABLE statement, in the parts a refused statement's
// next attempt may change.
struct ColumnDefinitionParts {
  std::string name;
  std::string sourceType;  // DATA_TYPE
  std::string type;        // "VARCHAR", "DOUBLE", "DECIMAL(19,0)", "TEXT", ...
  std::string length;      // "(80) " after VARCHAR and CHAR, else empty
  bool notNull = false;
  std::string defaultClause;  // "DEFAULT 'x'", or empty
  std::string sourceDefault;  // DATA_DEFAULT as the catalog gave it
  // A VARCHAR's length in characters, which may be turned into TEXT; 0 for other types.
  long characters = 0;
  // Keyed by a prefix: MySQL indexes only the start of such a column.
  bool keyPrefix = false;
};

// The columns of a table's CREATE TABLE statement, with what they do not keep of the source.
struct TableDefinition {
  std::vector<ColumnDefinitionParts> columns;
  std::vector<SchemaNote> notes;
};

// Maps every column of the catalog in catalog order, filling the table's column lists for the
// row copy, and translates each default with `escape`, the connection's escaping.
TableDefinition BuildTableDefinition(TableColumnLists& lists,
                                     const std::vector<ColumnDescriptor>& catalog,
                                     const SqlEscaper& escape);

// The definitions joined by ",", each "`NAME` TYPE (len) NOT NULL DEFAULT ...".
std::string ColumnDefinitionsText(const TableDefinition& definition);

// After the server refused the table for its row size or a VARCHAR's length: the longest
// VARCHAR (the first of equally long ones) becomes TEXT, or MEDIUMTEXT where its characters
// may take more than 65,535 bytes, with a note saying so. False when no VARCHAR is left.
bool WidenLongestVarchar(TableDefinition& definition, unsigned errorNumber);

// After the server refused a column's default: the column its message names loses its
// default, or every column does when the message names none of them; each gets a note with
// `refusal`, the server's message. False when no column has a default.
bool DropRefusedDefaults(TableDefinition& definition, const std::string& refusal);

}  // namespace skerrow
