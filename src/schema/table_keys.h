#pragma once

#include <string>
#include <vector>

#include "schema/table_definition.h"
#include "schema/table_key_catalog.h"
#include "transfer/render_value.h"
#include "transfer/schema_note.h"
#include "transfer/table_job.h"
#include "transfer/table_report.h"

namespace skerrow {

// MySQL's longest comments, in characters.
inline constexpr std::size_t kMaxTableCommentCharacters = 2048;
inline constexpr std::size_t kMaxColumnCommentCharacters = 1024;

// One clause of the ALTER TABLE after the rows, with what the report says of it.
struct KeyClausePart {
  std::string clause;       // "ADD UNIQUE KEY `EMP_EMAIL_UK`(`EMAIL`)"
  std::string description;  // for the report when it goes in
  // For the note when the server refuses it: what it is and the source's text.
  std::string what;
  std::string sourceText;
  // The identity column whose AUTO_INCREMENT this part sets; empty for other parts.
  std::string identityColumn;
};

// What the step after the rows adds to a table and what it leaves out.
struct TableKeyPlan {
  std::vector<KeyClausePart> parts;
  std::vector<SchemaNote> notes;
};

// An identity column's copied values as the target holds them.
struct IdentityValues {
  bool fitsBigint = true;       // every value is whole, non-zero and fits a signed 64-bit integer
  std::uint64_t nextValue = 1;  // past the largest value (at least 1)
};

// Plans the clauses from the source's declarations: unique constraints and unique indexes as
// UNIQUE KEY, other indexes as KEY (bitmap ones too, with a note), names unique within the
// table and at most 64 characters, the primary key's prefix for text and binary columns;
// translatable enabled CHECKs; comments; identity columns as BIGINT AUTO_INCREMENT where
// `identityValues` (one per catalog identity, in order) say they fit. `primaryKeyAdded`: the
// table was created with its primary key. Foreign keys are noted as not created: the tables
// are MyISAM.
TableKeyPlan PlanTableKeys(const TableKeyCatalog& catalog, const TableDefinition& definition,
                           bool primaryKeyAdded, const std::vector<IdentityValues>& identityValues,
                           const SqlEscaper& escape);

// "ALTER TABLE `db`.`t` " followed by the parts' clauses joined by ",".
std::string AlterTableStatement(const std::string& database, const std::string& table,
                                const std::vector<const KeyClausePart*>& parts);

// After the rows of `sourceTable` are in `targetName`: reads what the source declares, adds it
// in one ALTER TABLE and, when the server refuses that, each part on its own, so that what it
// takes goes in and each refusal becomes a note with the server's message. Fills
// `report.keysAdded` and `report.schemaNotes`; never fails the table.
void AddTableKeys(const TableJob& job, const std::string& sourceTable,
                  const std::string& targetName, const TableDefinition& definition,
                  TableReport& report);

}  // namespace skerrow
