#include "workflow/destination_database.h"

#include "text/ascii.h"
#include "text/utf8.h"
#include "workflow/control_ids.h"

namespace skerrow {

namespace {

// MySQL counts a database name's length in characters.
constexpr std::size_t kMaxNameCharacters = 64;
// A longer text is shown by its first kMaxNameCharacters characters, so that a pasted page of
// text does not fill the message.
constexpr std::size_t kShownNameCharacters = 80;
constexpr std::string_view kForbiddenCharacters = "\"\\~`*.,?><:|/";

MessageRequest Message(MessageKind kind, std::string text, MessageIcon icon,
                       MessageButtons buttons = MessageButtons::Ok) {
  MessageRequest request;
  request.text = std::move(text);
  request.caption = "Message";
  request.icon = icon;
  request.buttons = buttons;
  request.kind = kind;
  return request;
}

std::string ServerFailure(const std::string& what, const TargetConnection& target) {
  return what + ": " + target.LastErrorMessage() + " (MySQL error " +
         std::to_string(target.LastErrorNumber()) + ")";
}

std::string ShownName(const std::string& typed) {
  if (text::Utf8Length(typed) <= kShownNameCharacters) return typed;
  return std::string(text::Utf8Prefix(typed, kMaxNameCharacters)) + "...";
}

}  // namespace

DestinationNameCheck CheckDestinationName(const std::string& typed) {
  DestinationNameCheck check;
  if (text::Utf8Length(typed) > kMaxNameCharacters) {
    check.refusal = Message(MessageKind::Notice,
                            "MySQL Destination Database Name [" + ShownName(typed) +
                                "] is too long.Maximum length is 64 characters.",
                            MessageIcon::None);
    return check;
  }
  std::string name = text::TrimWhiteSpace(typed);
  if (name.empty()) {
    check.refusal =
        Message(MessageKind::Notice, "Please enter valid MySQL Destination Database Name.",
                MessageIcon::Warning);
    return check;
  }
  if (name.find_first_of(kForbiddenCharacters) != std::string::npos) {
    check.refusal = Message(
        MessageKind::Notice,
        "The Database name you provided contains unsupported Characters.\n"
        "MySQL database does not support '\"','\\','~','`','*','|','','/',':','','.','<','>','?' "
        "characters in name.",
        MessageIcon::Warning);
    return check;
  }
  check.name = std::move(name);
  return check;
}

std::optional<std::string> ValidateDestinationName(WizardWindow& window) {
  DestinationNameCheck check = CheckDestinationName(window.GetControlText(kDestinationNameEdit));
  if (!check.name) window.ShowMessage(check.refusal);
  return check.name;
}

std::string ProbeDatabaseStatement(const std::string& name) {
  return "use " + QuoteMySqlIdentifier(name);
}

std::string CreateDatabaseStatement(const std::string& name) {
  // utf8mb4 holds every character the source can hold; the server's default would not.
  return "Create database " + QuoteMySqlIdentifier(name) +
         " CHARACTER SET utf8mb4 COLLATE utf8mb4_bin";
}

std::string ReplaceQuestionText(const std::string& name) {
  // Names the database it would drop; the question itself stays at the end.
  return "The database " + name +
         " already exists on the MySQL server. Are you sure you want to overwrite?";
}

std::string DropDatabaseStatement(const std::string& name) {
  return "Drop database " + QuoteMySqlIdentifier(name);
}

PrepareResult PrepareDestinationDatabase(TargetConnection& target, WizardWindow& window,
                                         const std::string& name) {
  if (target.Query(ProbeDatabaseStatement(name))) {
    const MessageAnswer answer =
        window.ShowMessage(Message(MessageKind::ReplaceQuestion, ReplaceQuestionText(name),
                                   MessageIcon::None, MessageButtons::YesNo));
    if (answer != MessageAnswer::Yes) return {PrepareOutcome::Declined, {}};
    if (!target.Query(DropDatabaseStatement(name)))
      return {PrepareOutcome::Failed,
              ServerFailure("The MySQL database `" + name + "` could not be dropped", target)};
  }
  if (!target.Query(CreateDatabaseStatement(name)))
    return {PrepareOutcome::Failed,
            ServerFailure("The MySQL database `" + name + "` could not be created", target)};
  return {PrepareOutcome::Done, {}};
}

}  // namespace skerrow
