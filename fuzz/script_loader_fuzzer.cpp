// The script loader on any script text: splitting into statements and SQL*Plus commands,
// parsing DDL and INSERTs, evaluating expressions. A script it cannot load must end in a
// ScriptError that names the line; a crash, a hang or a broken promise is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "memory_script_target.h"
#include "oracle/loader/script_loader.h"

namespace {

// The loader still lets some library exceptions through (std::out_of_range, bad_alloc, ...)
// instead of naming the statement. SKERROW_FUZZ_INTERNAL_ERRORS=abort makes each one a
// finding; by default they count as refusals, so the search goes on for crashes and hangs.
bool InternalErrorsAreFindings() {
  static const bool abort = [] {
    const char* setting = std::getenv("SKERROW_FUZZ_INTERNAL_ERRORS");
    return setting != nullptr && std::string_view(setting) == "abort";
  }();
  return abort;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view script(reinterpret_cast<const char*>(data), size);
  skerrow::fuzz::MemoryScriptTarget target;
  try {
    skerrow::oracle::LoadScriptText(target, script, "fuzz.sql");
  } catch (const skerrow::oracle::ScriptError& error) {
    skerrow::fuzz::Check(error.Line() >= 1, "a script error names a line", error.what());
  } catch (const std::exception& error) {
    if (InternalErrorsAreFindings()) skerrow::fuzz::Broken("an unnamed exception", error.what());
  }
  return 0;
}
