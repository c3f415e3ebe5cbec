#include "workflow/oracle_logon_failure.h"

#include "workflow/control_ids.h"

namespace skerrow {

namespace {

void Inform(WizardWindow& window, std::string text, std::string details) {
  MessageRequest request;
  request.text = std::move(text);
  request.caption = "Message";
  request.icon = MessageIcon::None;
  request.details = std::move(details);
  request.kind = MessageKind::Error;
  window.ShowMessage(request);
}

std::string Describe(const SourceError& error) {
  return error.Description().value_or(error.SystemMessage());
}

}  // namespace

void ReportOracleLogonFailure(WizardWindow& window, const SourceError& error) {
  const std::string formatted = FormatSourceError(error);
  if (error.Code() == kCodeOracleClientNotFound) {
    // Its description says where the library was looked for and where embedded instances are;
    // the keyword search below would blame the service name or a shutdown instead.
    const std::string description = error.Description().value_or("");
    Inform(window, description.empty() ? "Oracle's client library was not found." : description,
           {});
    window.FocusControl(kServiceNameEdit);
  } else if (formatted.find("could not") != std::string::npos) {
    Inform(window, "Invalid Oracle Service Name.", Describe(error));
    window.SetControlText(kServiceNameEdit, "");
    window.FocusControl(kServiceNameEdit);
  } else if (formatted.find("invalid username/password") != std::string::npos) {
    Inform(window,
           "There is an error to connect with ORACLE. Please check your input parameters User "
           "Name/Password.",
           Describe(error));
    window.FocusControl(kOracleUserEdit);
    window.SetControlText(kOracleUserEdit, "");
    window.SetControlText(kOraclePasswordEdit, "");
  } else {
    Inform(window,
           "Either Oracle Database could not be initialized or System Shutdown is in Progress.",
           Describe(error));
  }
  window.EnableControl(kNextButton, true);
}

}  // namespace skerrow
