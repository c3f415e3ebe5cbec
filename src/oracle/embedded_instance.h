#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "oracle/script_target.h"

namespace skerrow::oracle {

// The directories SKERROW_ORACLE_PATH lists (separated by colons), or by default
// $XDG_DATA_HOME/skerrow/oracle (~/.local/share/skerrow/oracle).
std::vector<std::filesystem::path> InstanceSearchPath();

// True for a net service name an instance may have: a plain name, never a path (not empty, no
// "/" or "\\", no "..", no NUL or other control character), so that an instance is always a
// directory of the search path itself.
bool IsPlainServiceName(std::string_view serviceName);

// The directory of the instance whose net service name is `serviceName`, looked up
// case-insensitively in the search path, first match wins; nullopt for a name that is not plain.
std::optional<std::filesystem::path> FindInstanceDirectory(const std::string& serviceName);

// An embedded Oracle instance: a directory named after its service name holding its users,
// its data dictionary and one SQLite database per schema.
class EmbeddedInstance : public ScriptTarget {
 public:
  // Creates a new, empty instance in `directory` (whose last component is the service name);
  // throws std::runtime_error when it exists already or cannot be written.
  static std::unique_ptr<EmbeddedInstance> Create(const std::filesystem::path& directory);
  // Opens an existing instance; throws std::runtime_error when there is none.
  static std::unique_ptr<EmbeddedInstance> Open(const std::filesystem::path& directory);
  // Removes an instance directory and everything in it.
  static void Drop(const std::filesystem::path& directory);

  ~EmbeddedInstance() override;

  const std::filesystem::path& Directory() const;

  void CreateUser(const std::string& user, const std::string& password) override;
  void SetCurrentSchema(const std::string& schema) override;
  void Connect(const std::string& user, const std::string& password) override;
  void CreateTable(const std::string& owner, const std::string& table,
                   const std::vector<ColumnDefinition>& columns,
                   const std::vector<ConstraintDefinition>& constraints) override;
  void AddConstraint(const std::string& owner, const std::string& table,
                     const ConstraintDefinition& constraint) override;
  void InsertRow(const std::string& owner, const std::string& table,
                 const std::vector<std::string>& columns,
                 const std::vector<Variant>& values) override;
  void Commit() override;

  // Column definitions of a table as stored (for loaders that must know the target types to build
  // values, e.g. a string literal inserted into a NUMBER or DATE column); nullopt when absent.
  std::optional<std::vector<ColumnDefinition>> DescribeTable(const std::string& owner,
                                                             const std::string& table) override;
  std::vector<ConstraintDefinition> DescribeConstraints(const std::string& owner,
                                                        const std::string& table) override;

  std::string GenerateConstraintName() override;
  void RecordObjectType(const std::string& name) override;
  std::set<std::string> ObjectTypes() override;

  void Rollback() override;
  long Savepoint() override;
  void RollbackToSavepoint(long savepoint) override;
  void ReleaseSavepoint(long savepoint) override;

  void CreateSequence(const std::string& owner, const std::string& name,
                      const SequenceOptions& options) override;
  void DropSequence(const std::string& owner, const std::string& name) override;
  std::string NextSequenceValue(const std::string& owner, const std::string& name) override;

  std::optional<TableRows> ReadTable(const std::string& owner, const std::string& table) override;
  long ChangeRows(const std::string& owner, const std::string& table,
                  const std::function<RowChange(const std::vector<Variant>& row)>& decide) override;
  void TruncateTable(const std::string& owner, const std::string& table) override;
  void DropTable(const std::string& owner, const std::string& table,
                 bool cascadeConstraints) override;
  void SetConstraintEnabled(const std::string& owner, const std::string& table,
                            const std::string& constraint, bool enabled, bool validated) override;
  void DropConstraint(const std::string& owner, const std::string& table,
                      const std::string& constraint, bool cascade, bool keepIndex) override;
  void CreateIndex(const std::string& owner, const std::string& table,
                   const IndexDefinition& index) override;
  void DropIndex(const std::string& owner, const std::string& index) override;
  void SetComment(const std::string& owner, const std::string& table, const std::string& column,
                  const std::optional<std::string>& text) override;

 private:
  struct Impl;
  explicit EmbeddedInstance(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace skerrow::oracle
