#pragma once

#include <optional>
#include <string>

namespace skerrow::cli {

// The password to use: the option's value; else the environment variable's (when set and not
// empty); else, when standard input is a terminal, one line typed without echo after `prompt`
// (shown on standard error) when `mayPrompt`. Empty when none of them gives one: the connection
// step then says which password is missing.
std::string ResolvePassword(const std::optional<std::string>& fromOption,
                            const char* environmentVariable, const std::string& prompt,
                            bool mayPrompt);

// Reads one line from standard input with echo switched off; the terminal is restored
// however the read ends.
std::optional<std::string> ReadHiddenLine(const std::string& prompt);

}  // namespace skerrow::cli
