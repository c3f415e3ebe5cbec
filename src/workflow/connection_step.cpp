#include "workflow/connection_step.h"

#include "db/connection_string.h"
#include "workflow/control_ids.h"
#include "workflow/oracle_logon_failure.h"

namespace skerrow {

namespace {

constexpr const char* kTableQuery = "select table_name from user_tables";

void Inform(WizardWindow& window, MessageKind kind, std::string text, MessageIcon icon,
            std::string details = {}) {
  MessageRequest request;
  request.text = std::move(text);
  request.caption = "Message";
  request.icon = icon;
  request.details = std::move(details);
  request.kind = kind;
  window.ShowMessage(request);
}

// A missing field: say which, put the cursor there, and let the operator try again.
void AskForField(WizardWindow& window, const char* text, int controlId) {
  Inform(window, MessageKind::Notice, text, MessageIcon::Information);
  window.FocusControl(controlId);
  window.EnableControl(kNextButton, true);
}

std::string Describe(const SourceError& error) {
  return error.Description().value_or(error.SystemMessage());
}

// The names of the user's tables; an empty result is reported like a failed query, because
// there is nothing to convert.
std::optional<RowArray> ReadTableList(ConversionState& state, WizardWindow& window,
                                      const std::string& user) {
  try {
    state.Source.Execute(kTableQuery);
    RowArray rows = state.Source.GetRows();
    if (rows.FieldCount() > 0 && rows.RowCount() > 0) return rows;
  } catch (const SourceError& error) {
    if (error.Code() != kCodeNoCurrentRecord) {
      Inform(window, MessageKind::Error,
             "The list of tables could not be read from Oracle: " + Describe(error),
             MessageIcon::Warning, FormatSourceError(error));
      window.EnableControl(kNextButton, true);
      return std::nullopt;
    }
  }
  Inform(window, MessageKind::Error,
         "The Oracle user " + user + " owns no tables. There is nothing to convert.",
         MessageIcon::Warning);
  window.EnableControl(kNextButton, true);
  return std::nullopt;
}

}  // namespace

std::string SourceConnectionString(const std::string& serviceName, const std::string& user,
                                   const std::string& password) {
  // A value holding ';' (or starting with a quote) goes in quoted, so that it reads back whole
  // and no part of it is taken for another key.
  const std::string quotedUser = ConnectionStringQuoted(user);
  return "Provider=MSDAORA.1;Data Source=" + ConnectionStringQuoted(serviceName) +
         ";Database=" + quotedUser + ";User ID=" + quotedUser +
         ";Password=" + ConnectionStringQuoted(password) + ",";
}

void ConnectAndListTables(ConversionState& state, WizardWindow& window) {
  // The worker uses both connections until its run ends; opening them anew under it would
  // pull them away from it.
  if (state.RunInProgress) {
    Inform(window, MessageKind::Notice,
           "A conversion is in progress. Wait until it has ended (or press Stop) before you "
           "connect again.",
           MessageIcon::Warning);
    return;
  }
  window.SetNavigationEnabled(false);

  const std::string serviceName = window.GetControlText(kServiceNameEdit);
  const std::string user = window.GetControlText(kOracleUserEdit);
  const std::string password = window.GetControlText(kOraclePasswordEdit);
  if (serviceName.empty())
    return AskForField(window, "Please enter Oracle Service Name.", kServiceNameEdit);
  if (user.empty()) return AskForField(window, "Please enter Oracle User Name.", kOracleUserEdit);
  if (password.empty())
    return AskForField(window, "Please enter Oracle Password.", kOraclePasswordEdit);

  const std::string server = window.GetControlText(kMySqlServerEdit);
  const std::string login = window.GetControlText(kMySqlLoginEdit);
  const std::string mysqlPassword = window.GetControlText(kMySqlPasswordEdit);

  state.Target.Init();

  const std::string connectionString = SourceConnectionString(serviceName, user, password);
  try {
    state.Source.Create();
    state.Source.Open(connectionString, user, password, kConnectUnspecified);
  } catch (const SourceError& error) {
    return ReportOracleLogonFailure(window, error);
  }

  if (server.empty())
    return AskForField(window, "Please enter MySQL Server name.", kMySqlServerEdit);
  if (login.empty()) return AskForField(window, "Please enter MySQL Login Name.", kMySqlLoginEdit);
  if (mysqlPassword.empty())
    return AskForField(window, "Please enter MySQL Password.", kMySqlPasswordEdit);

  if (!state.Target.Connect(server, login, mysqlPassword)) {
    Inform(window, MessageKind::Error,
           "There is an error to connect with MySQL. Please check your input parameters or server "
           "configuration.",
           MessageIcon::None, state.Target.LastErrorMessage());
    window.SetControlText(kMySqlLoginEdit, "");
    window.SetControlText(kMySqlPasswordEdit, "");
    window.FocusControl(kMySqlLoginEdit);
    window.EnableControl(kNextButton, true);
    return;
  }

  state.Connection = {connectionString, user, password, server, login, mysqlPassword};

  const std::optional<RowArray> rows = ReadTableList(state, window, user);
  if (!rows) return;

  const std::size_t rowCount = rows->RowCount();
  window.ResetTableList(static_cast<int>(rowCount));
  state.TableNames.assign(rowCount, std::string());
  std::size_t stored = 0;
  for (std::size_t row = 0; row < rowCount; ++row) {
    const std::optional<std::string> name = rows->At(0, row).ToText();
    if (!name || name->empty()) continue;
    state.TableNames[stored++] = *name;
    window.AddTableItem(*name);
  }
  window.ShowSelectionPage(serviceName);
}

}  // namespace skerrow
