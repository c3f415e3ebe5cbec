#include "memory_script_target.h"

#include <algorithm>
#include <set>
#include <stdexcept>

namespace skerrow::fuzz {

namespace {

[[noreturn]] void Refuse(const std::string& message) {
  throw std::runtime_error(message);
}

bool HasColumn(const std::vector<oracle::ColumnDefinition>& columns, const std::string& name) {
  return std::any_of(columns.begin(), columns.end(),
                     [&](const oracle::ColumnDefinition& column) { return column.name == name; });
}

void CheckConstraintColumns(const std::vector<oracle::ColumnDefinition>& columns,
                            const oracle::ConstraintDefinition& constraint) {
  for (const auto& name : constraint.columns)
    if (!HasColumn(columns, name)) Refuse("ORA-00904: \"" + name + "\": invalid identifier");
}

}  // namespace

void MemoryScriptTarget::RequireUser(const std::string& user) const {
  if (!users_.count(user)) Refuse("ORA-01918: user '" + user + "' does not exist");
}

MemoryScriptTarget::Table& MemoryScriptTarget::Existing(const std::string& owner,
                                                        const std::string& table) {
  const auto found = tables_.find({owner, table});
  if (found == tables_.end()) Refuse("ORA-00942: table or view does not exist");
  return found->second;
}

void MemoryScriptTarget::CreateUser(const std::string& user, const std::string& password) {
  if (user.empty()) Refuse("ORA-01935: missing user or role name");
  if (!users_.emplace(user, password).second)
    Refuse("ORA-01920: user name '" + user + "' conflicts with another user or role name");
}

void MemoryScriptTarget::SetCurrentSchema(const std::string& schema) {
  if (!users_.count(schema)) Refuse("ORA-01435: user does not exist");
}

void MemoryScriptTarget::Connect(const std::string& user, const std::string& password) {
  const auto found = users_.find(user);
  if (found == users_.end() || found->second != password)
    Refuse("ORA-01017: invalid username/password; logon denied");
}

void MemoryScriptTarget::CreateTable(const std::string& owner, const std::string& table,
                                     const std::vector<oracle::ColumnDefinition>& columns,
                                     const std::vector<oracle::ConstraintDefinition>& constraints) {
  RequireUser(owner);
  if (table.empty()) Refuse("ORA-00903: invalid table name");
  if (columns.empty()) Refuse("ORA-00904: a table needs at least one column");
  std::set<std::string> seen;
  for (const auto& column : columns)
    if (!seen.insert(column.name).second) Refuse("ORA-00957: duplicate column name");
  for (const auto& constraint : constraints) CheckConstraintColumns(columns, constraint);
  if (!tables_.emplace(std::make_pair(owner, table), Table{columns, constraints}).second)
    Refuse("ORA-00955: name is already used by an existing object");
}

void MemoryScriptTarget::AddConstraint(const std::string& owner, const std::string& table,
                                       const oracle::ConstraintDefinition& constraint) {
  Table& known = Existing(owner, table);
  CheckConstraintColumns(known.columns, constraint);
  known.constraints.push_back(constraint);
}

void MemoryScriptTarget::InsertRow(const std::string& owner, const std::string& table,
                                   const std::vector<std::string>& columns,
                                   const std::vector<Variant>& values) {
  const Table& known = Existing(owner, table);
  const std::size_t width = columns.empty() ? known.columns.size() : columns.size();
  if (width != values.size())
    Refuse(width > values.size() ? "ORA-00947: not enough values" : "ORA-00913: too many values");
  for (const auto& name : columns)
    if (!HasColumn(known.columns, name)) Refuse("ORA-00904: \"" + name + "\": invalid identifier");
  ++rows_;
}

std::optional<std::vector<oracle::ColumnDefinition>> MemoryScriptTarget::DescribeTable(
    const std::string& owner, const std::string& table) {
  const auto found = tables_.find({owner, table});
  if (found == tables_.end()) return std::nullopt;
  return found->second.columns;
}

std::string MemoryScriptTarget::GenerateConstraintName() {
  return "SYS_C" + std::to_string(++constraintNames_);
}

}  // namespace skerrow::fuzz
