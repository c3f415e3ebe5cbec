#include "db/source_error.h"

#include <cstdio>

namespace skerrow {

namespace {

struct KnownMessage {
  std::uint32_t code;
  const char* text;
};

// The platform texts of the codes this system raises or is likely to meet.
constexpr KnownMessage kKnownMessages[] = {
    {0x80004001u, "Not implemented"},
    {0x80004002u, "No such interface supported"},
    {0x80004003u, "Invalid pointer"},
    {0x80004004u, "Operation aborted"},
    {0x80004005u, "Unspecified error"},
    {0x8000FFFFu, "Catastrophic failure"},
    {0x80070005u, "Access is denied."},
    {0x80070006u, "The handle is invalid."},
    {0x8007000Eu, "Not enough memory resources are available to complete this operation."},
    {0x80070057u, "The parameter is incorrect."},
    {0x800401F0u, "CoInitialize has not been called."},
};

}  // namespace

std::string SystemMessageForCode(std::int32_t code) {
  const auto unsignedCode = static_cast<std::uint32_t>(code);
  for (const auto& known : kKnownMessages)
    if (known.code == unsignedCode) return known.text;
  char buffer[64];
  if (unsignedCode >= 0x80040201u && unsignedCode <= 0x8004FFFFu)
    std::snprintf(buffer, sizeof buffer, "IDispatch error #%d",
                  static_cast<int>(unsignedCode - 0x80040200u));
  else
    std::snprintf(buffer, sizeof buffer, "Unknown error 0x%0lX",
                  static_cast<unsigned long>(unsignedCode));
  return buffer;
}

SourceError::SourceError(std::optional<std::string> source, std::int32_t code,
                         std::optional<std::string> description)
    : source_(std::move(source)),
      code_(code),
      description_(std::move(description)),
      systemMessage_(SystemMessageForCode(code)) {
  formatted_ = FormatSourceError(*this);
}

std::string FormatSourceError(const SourceError& error) {
  auto orNull = [](const std::optional<std::string>& part) {
    return part ? *part : std::string("(null)");
  };
  return "\n" + orNull(error.Source()) + " Error: " + std::to_string(error.Code()) + "\r\n" +
         orNull(error.Description()) + "\r\n" + error.SystemMessage() + "\r\n";
}

}  // namespace skerrow
