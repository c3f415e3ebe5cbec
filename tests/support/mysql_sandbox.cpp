#include "support/mysql_sandbox.h"

#include <gtest/gtest.h>
#include <mysql.h>
#include <unistd.h>

#include <cstdlib>

namespace skerrow::test {

namespace {

std::optional<std::string> Env(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return std::nullopt;
  return std::string(value);
}

}  // namespace

std::optional<MySqlSandbox> MySqlSandbox::FromEnvironment() {
  auto host = Env("SKERROW_TEST_MYSQL_HOST");
  auto port = Env("SKERROW_TEST_MYSQL_PORT");
  auto user = Env("SKERROW_TEST_MYSQL_USER");
  auto password = Env("SKERROW_TEST_MYSQL_PASSWORD");
  if (!host || !port || !user || !password) {
    ADD_FAILURE() << "The MariaDB sandbox is not running: SKERROW_TEST_MYSQL_* are not set. "
                     "Run scripts/test, or scripts/mariadb-sandbox start DIR and export the "
                     "variables of DIR/sandbox.env.";
    return std::nullopt;
  }
  MySqlSandbox sandbox;
  sandbox.host = *host;
  sandbox.port = std::atoi(port->c_str());
  sandbox.user = *user;
  sandbox.password = *password;
  sandbox.otherUser = Env("SKERROW_TEST_MYSQL_OTHER_USER").value_or("");
  sandbox.otherPassword = Env("SKERROW_TEST_MYSQL_OTHER_PASSWORD").value_or("");
  return sandbox;
}

std::optional<MySqlSandbox> RequireSandbox() {
  return MySqlSandbox::FromEnvironment();
}

MySqlProbe::MySqlProbe(const MySqlSandbox& sandbox) : handle_(mysql_init(nullptr)) {
  if (handle_ == nullptr) {
    error_ = "mysql_init failed";
    return;
  }
  mysql_optionsv(handle_, MYSQL_SET_CHARSET_NAME, "utf8mb4");
  unsigned protocol = MYSQL_PROTOCOL_TCP;
  mysql_optionsv(handle_, MYSQL_OPT_PROTOCOL, &protocol);
  connected_ = mysql_real_connect(handle_, sandbox.host.c_str(), sandbox.user.c_str(),
                                  sandbox.password.c_str(), nullptr,
                                  static_cast<unsigned>(sandbox.port), nullptr, 0) != nullptr;
  if (!connected_) error_ = mysql_error(handle_);
}

MySqlProbe::~MySqlProbe() {
  if (connected_)
    for (const auto& name : scratch_) Execute("DROP DATABASE IF EXISTS `" + name + "`");
  if (handle_ != nullptr) mysql_close(handle_);
}

bool MySqlProbe::Execute(const std::string& sql) {
  if (!connected_) return false;
  if (mysql_real_query(handle_, sql.data(), sql.size()) != 0) {
    error_ = mysql_error(handle_);
    return false;
  }
  if (MYSQL_RES* result = mysql_store_result(handle_)) mysql_free_result(result);
  return true;
}

std::optional<std::vector<ResultRow>> MySqlProbe::Query(const std::string& sql) {
  if (!connected_) return std::nullopt;
  if (mysql_real_query(handle_, sql.data(), sql.size()) != 0) {
    error_ = mysql_error(handle_);
    return std::nullopt;
  }
  MYSQL_RES* result = mysql_store_result(handle_);
  std::vector<ResultRow> rows;
  if (result == nullptr) return rows;
  const unsigned fields = mysql_num_fields(result);
  while (MYSQL_ROW row = mysql_fetch_row(result)) {
    unsigned long* lengths = mysql_fetch_lengths(result);
    ResultRow values;
    for (unsigned i = 0; i < fields; ++i) {
      if (row[i] == nullptr)
        values.emplace_back(std::nullopt);
      else
        values.emplace_back(std::string(row[i], lengths[i]));
    }
    rows.push_back(std::move(values));
  }
  mysql_free_result(result);
  return rows;
}

std::optional<std::string> MySqlProbe::Scalar(const std::string& sql) {
  auto rows = Query(sql);
  if (!rows || rows->empty() || rows->front().empty()) return std::nullopt;
  return rows->front().front();
}

std::string MySqlProbe::ScratchDatabase(const std::string& stem) {
  std::string name = "t_" + stem + "_" + std::to_string(::getpid());
  Execute("DROP DATABASE IF EXISTS `" + name + "`");
  scratch_.push_back(name);
  return name;
}

}  // namespace skerrow::test
