#pragma once

#include <string>

namespace skerrow::test {

// A script for the embedded Oracle: user `user` (password `password`) owning `tables` tables
// <prefix>_1 to <prefix>_<tables> of `rows` rows each (a NUMBER key, a text, a decimal), the
// same rows in every one: large enough for tables to be converted side by side for a while.
std::string BulkTablesScript(const std::string& user, const std::string& password,
                             const std::string& prefix, int tables, int rows);

}  // namespace skerrow::test
