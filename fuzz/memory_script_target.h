#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "oracle/script_target.h"

namespace skerrow::fuzz {

// What a script does to an instance, kept in memory: users, tables with their columns and
// constraints, and a row count. It refuses what an instance refuses most often (unknown user or
// table, a name used twice, a row that does not fit the table), so the loader's paths after a
// refusal are taken too, without the cost of a real instance per input.
class MemoryScriptTarget : public oracle::ScriptTarget {
 public:
  void CreateUser(const std::string& user, const std::string& password) override;
  void SetCurrentSchema(const std::string& schema) override;
  void Connect(const std::string& user, const std::string& password) override;
  void CreateTable(const std::string& owner, const std::string& table,
                   const std::vector<oracle::ColumnDefinition>& columns,
                   const std::vector<oracle::ConstraintDefinition>& constraints) override;
  void AddConstraint(const std::string& owner, const std::string& table,
                     const oracle::ConstraintDefinition& constraint) override;
  void InsertRow(const std::string& owner, const std::string& table,
                 const std::vector<std::string>& columns,
                 const std::vector<Variant>& values) override;
  void Commit() override {}
  std::optional<std::vector<oracle::ColumnDefinition>> DescribeTable(
      const std::string& owner, const std::string& table) override;
  std::string GenerateConstraintName() override;

  std::size_t Rows() const { return rows_; }

 private:
  struct Table {
    std::vector<oracle::ColumnDefinition> columns;
    std::vector<oracle::ConstraintDefinition> constraints;
  };
  Table& Existing(const std::string& owner, const std::string& table);
  void RequireUser(const std::string& user) const;

  std::map<std::string, std::string> users_;
  std::map<std::pair<std::string, std::string>, Table> tables_;
  std::size_t rows_ = 0;
  long constraintNames_ = 0;
};

}  // namespace skerrow::fuzz
