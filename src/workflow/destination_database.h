#pragma once

#include <optional>
#include <string>

#include "db/target_connection.h"
#include "workflow/wizard_window.h"

namespace skerrow {

// The checked destination name, or the message that refuses the typed text.
struct DestinationNameCheck {
  std::optional<std::string> name;
  MessageRequest refusal;
};

// The rules for a destination database name typed as `typed`: at most 64 characters as typed
// (MySQL counts characters, not bytes), blanks trimmed at both ends, not empty, none of the
// characters MySQL refuses in a name.
DestinationNameCheck CheckDestinationName(const std::string& typed);

// Reads the destination name field and checks it; shows the refusal and returns nothing when
// the name is not usable.
std::optional<std::string> ValidateDestinationName(WizardWindow& window);

enum class PrepareOutcome { Done, Declined, Failed };

struct PrepareResult {
  PrepareOutcome outcome = PrepareOutcome::Done;
  // For Failed: what failed and the server's message.
  std::string error;
};

// The question asked before the existing database `name` is dropped and created anew.
std::string ReplaceQuestionText(const std::string& name);

std::string ProbeDatabaseStatement(const std::string& name);
std::string CreateDatabaseStatement(const std::string& name);
std::string DropDatabaseStatement(const std::string& name);

// Makes sure an empty database `name` exists: creates it, or drops and recreates it once the
// operator agrees to overwrite it.
PrepareResult PrepareDestinationDatabase(TargetConnection& target, WizardWindow& window,
                                         const std::string& name);

}  // namespace skerrow
