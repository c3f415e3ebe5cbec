#include "support/oracle_fixture.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <system_error>

#include "oracle/embedded_instance.h"
#include "text/hex.h"

namespace skerrow::test {

std::filesystem::path FixtureScript(const std::string& name) {
  std::filesystem::path path(name);
  if (path.is_absolute()) return path;
  return std::filesystem::path(SKERROW_FIXTURE_DIR) / path;
}

std::string OracleConnectionString(const std::string& service, const std::string& user,
                                   const std::string& password) {
  return "Provider=MSDAORA.1;Data Source=" + service + ";Database=" + user + ";User ID=" + user +
         ";Password=" + password + ",";
}

void OpenOracle(SourceConnection& connection, const std::string& service, const std::string& user,
                const std::string& password) {
  connection.Create();
  connection.Open(OracleConnectionString(service, user, password), user, password,
                  kConnectUnspecified);
}

std::string ShowValue(const Variant& value) {
  switch (value.Kind()) {
    case VariantKind::Null:
      return "NULL";
    case VariantKind::Empty:
      return "EMPTY";
    case VariantKind::ByteArray:
      return "BYTES:" + text::HexOfBytes(value.Data());
    case VariantKind::Date:
      return "DATE:" + value.AsDate().ToString();
    case VariantKind::Text:
      return "TEXT:" + value.Data();
    case VariantKind::Decimal:
      return "DECIMAL:" + value.Data();
    case VariantKind::Double:
      return "DOUBLE:" + value.ToText().value_or("?");
  }
  return "?";
}

std::vector<std::string> ShowRows(const RowArray& rows) {
  std::vector<std::string> shown;
  for (std::size_t row = 0; row < rows.RowCount(); ++row) {
    std::string line;
    for (std::size_t field = 0; field < rows.FieldCount(); ++field)
      line += (field ? " | " : "") + ShowValue(rows.At(field, row));
    shown.push_back(std::move(line));
  }
  return shown;
}

std::vector<std::string> QueryRows(SourceConnection& connection, const std::string& sql) {
  connection.Execute(sql);
  if (connection.EndOfRows()) return {};
  return ShowRows(connection.GetRows());
}

OracleFixture::OracleFixture(const std::string& service, const std::vector<std::string>& scripts)
    : service_(service) {
  if (const char* previous = std::getenv("SKERROW_ORACLE_PATH")) previousPath_ = previous;
  std::string pattern = (std::filesystem::temp_directory_path() / "skerrow-oracle-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    error_ = "cannot create a temporary directory for the Oracle instance";
    ADD_FAILURE() << error_;
    return;
  }
  root_ = pattern;
  setenv("SKERROW_ORACLE_PATH", root_.c_str(), 1);
  try {
    oracle::EmbeddedInstance::Create(root_ / service_);
  } catch (const std::exception& error) {
    error_ = std::string("cannot create the Oracle instance ") + service_ + ": " + error.what();
    ADD_FAILURE() << error_;
    return;
  }
  for (const std::string& script : scripts)
    if (!Load(script)) return;
}

OracleFixture::~OracleFixture() {
  if (previousPath_)
    setenv("SKERROW_ORACLE_PATH", previousPath_->c_str(), 1);
  else
    unsetenv("SKERROW_ORACLE_PATH");
  if (!root_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
}

bool OracleFixture::Load(const std::string& script) {
  try {
    auto instance = oracle::EmbeddedInstance::Open(InstanceDirectory());
    oracle::LoadResult result = oracle::LoadScript(*instance, FixtureScript(script));
    notices_.insert(notices_.end(), result.notices.begin(), result.notices.end());
    return true;
  } catch (const std::exception& error) {
    error_ = std::string("loading ") + script + " failed: " + error.what();
    ADD_FAILURE() << error_;
    return false;
  }
}

bool OracleFixture::LoadText(const std::string& text, const std::string& name) {
  try {
    auto instance = oracle::EmbeddedInstance::Open(InstanceDirectory());
    oracle::LoadResult result = oracle::LoadScriptText(*instance, text, name);
    notices_.insert(notices_.end(), result.notices.begin(), result.notices.end());
    return true;
  } catch (const std::exception& error) {
    error_ = "loading " + name + " failed: " + error.what();
    ADD_FAILURE() << error_;
    return false;
  }
}

}  // namespace skerrow::test
