#pragma once

#include <cstdint>
#include <exception>
#include <optional>
#include <string>

namespace skerrow {

// Status codes in the COM style the source reports (negative on failure).
inline constexpr std::int32_t kCodeUnspecifiedError = static_cast<std::int32_t>(0x80004005u);
inline constexpr std::int32_t kCodeInvalidPointer = static_cast<std::int32_t>(0x80004003u);
inline constexpr std::int32_t kCodeNotImplemented = static_cast<std::int32_t>(0x80004001u);
inline constexpr std::int32_t kCodeOutOfMemory = static_cast<std::int32_t>(0x8007000Eu);
inline constexpr std::int32_t kCodeInvalidArgument = static_cast<std::int32_t>(0x80070057u);
// "Either BOF or EOF is True, or the current record has been deleted": a fetch on a result
// without (further) rows.
inline constexpr std::int32_t kCodeNoCurrentRecord = static_cast<std::int32_t>(0x800A0BCDu);
// "Operation is not allowed when the object is closed."
inline constexpr std::int32_t kCodeObjectClosed = static_cast<std::int32_t>(0x800A0E78u);
// "The specified module could not be found": no Oracle client library could be loaded for a
// service name that is not an embedded instance. The description says where it was looked for.
inline constexpr std::int32_t kCodeOracleClientNotFound = static_cast<std::int32_t>(0x8007007Eu);

// The platform's message for a code, without a trailing line break; for codes it has no text
// for: "IDispatch error #%d" (0x80040201..0x8004FFFF, code minus 0x80040200) or
// "Unknown error 0x%0lX".
std::string SystemMessageForCode(std::int32_t code);

// A failed source operation: who raised it, the status code, the description (for database
// errors the database's own message, e.g. "ORA-00942: table or view does not exist") and the
// system message derived from the code.
class SourceError : public std::exception {
 public:
  SourceError(std::optional<std::string> source, std::int32_t code,
              std::optional<std::string> description);

  const std::optional<std::string>& Source() const { return source_; }
  std::int32_t Code() const { return code_; }
  const std::optional<std::string>& Description() const { return description_; }
  const std::string& SystemMessage() const { return systemMessage_; }

  // The formatted text (FormatSourceError).
  const char* what() const noexcept override { return formatted_.c_str(); }

 private:
  std::optional<std::string> source_;
  std::int32_t code_;
  std::optional<std::string> description_;
  std::string systemMessage_;
  std::string formatted_;
};

// "\n%s Error: %ld\r\n%s\r\n%s\r\n" of source, code, description and system message, with
// "(null)" for an absent source or description.
std::string FormatSourceError(const SourceError& error);

}  // namespace skerrow
