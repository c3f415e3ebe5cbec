// skerrow-oracle: creates, loads, queries and drops embedded Oracle instances.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "db/connection_string.h"
#include "db/source_connection.h"
#include "oracle/embedded_instance.h"
#include "oracle/script_expression.h"
#include "oracle/script_loader.h"

namespace {

constexpr const char* kUsage =
    "Usage:\n"
    "  skerrow-oracle load SERVICE SCRIPT...\n"
    "      Loads Oracle SQL scripts into the instance SERVICE, creating it in the first\n"
    "      directory of the search path when it does not exist. Prints what was skipped.\n"
    "  skerrow-oracle query SERVICE USER PASSWORD SQL\n"
    "      Runs one query as USER and prints its rows, one a line, fields separated by tabs,\n"
    "      each value with its kind (DECIMAL:12.5, TEXT:abc, DATE:..., BYTES:01FF, NULL).\n"
    "  skerrow-oracle drop SERVICE\n"
    "      Removes the instance SERVICE and everything in it.\n"
    "  skerrow-oracle --help\n"
    "\n"
    "Instances are looked up in the directories of SKERROW_ORACLE_PATH (separated by colons),\n"
    "by default $XDG_DATA_HOME/skerrow/oracle or ~/.local/share/skerrow/oracle.\n";

int UsageError(const std::string& message) {
  std::cerr << "skerrow-oracle: " << message << "\n\n" << kUsage;
  return 2;
}

std::string ShowValue(const skerrow::Variant& value) {
  using skerrow::VariantKind;
  std::string kind(skerrow::VariantKindName(value.Kind()));
  switch (value.Kind()) {
    case VariantKind::Null:
    case VariantKind::Empty:
      return kind;
    case VariantKind::ByteArray:
      return kind + ":" + skerrow::oracle::HexText(value.Data());
    case VariantKind::Date:
      return kind + ":" + value.AsDate().ToString();
    default: {
      std::string text = value.ToText().value_or("");
      // Keep one row on one line: tabs and line breaks inside values are shown escaped.
      std::string shown;
      for (char c : text) {
        if (c == '\t')
          shown += "\\t";
        else if (c == '\n')
          shown += "\\n";
        else if (c == '\r')
          shown += "\\r";
        else if (c == '\\')
          shown += "\\\\";
        else
          shown.push_back(c);
      }
      return kind + ":" + shown;
    }
  }
}

int Load(const std::string& service, const std::vector<std::string>& scripts) {
  using namespace skerrow::oracle;
  std::unique_ptr<EmbeddedInstance> instance;
  if (auto directory = FindInstanceDirectory(service)) {
    instance = EmbeddedInstance::Open(*directory);
  } else {
    auto path = InstanceSearchPath();
    if (path.empty()) throw std::runtime_error("the instance search path is empty");
    std::filesystem::create_directories(path.front());
    instance = EmbeddedInstance::Create(path.front() / service);
    std::cout << "created instance " << service << " in " << path.front().string() << "\n";
  }
  ScriptLoader loader(*instance);
  for (const std::string& script : scripts) {
    LoadResult result = loader.LoadFile(script);
    for (const ScriptNotice& notice : result.notices) std::cout << notice.ToString() << "\n";
    std::cout << script << ": loaded (" << result.statementsRun << " statements run)\n";
  }
  return 0;
}

int Query(const std::string& service, const std::string& user, const std::string& password,
          const std::string& sql) {
  skerrow::SourceConnection connection;
  connection.Create();
  // Quoted where needed, so that a password holding ";Data Source=..." stays a password.
  connection.Open("Provider=MSDAORA.1;Password=" + skerrow::ConnectionStringQuoted(password) +
                      ";User ID=" + skerrow::ConnectionStringQuoted(user) + ";Data Source=" +
                      skerrow::ConnectionStringQuoted(service) + ";Persist Security Info=True",
                  user, password, skerrow::kConnectUnspecified);
  connection.Execute(sql);
  if (connection.EndOfRows()) {
    std::cerr << "(no rows)\n";
    return 0;
  }
  skerrow::RowArray rows = connection.GetRows();
  for (std::size_t row = 0; row < rows.RowCount(); ++row) {
    std::string line;
    for (std::size_t field = 0; field < rows.FieldCount(); ++field) {
      if (field) line += "\t";
      line += ShowValue(rows.At(field, row));
    }
    std::cout << line << "\n";
  }
  return 0;
}

int Drop(const std::string& service) {
  auto directory = skerrow::oracle::FindInstanceDirectory(service);
  if (!directory) {
    std::cerr << "skerrow-oracle: there is no instance " << service << " on the search path\n";
    return 1;
  }
  skerrow::oracle::EmbeddedInstance::Drop(*directory);
  std::cout << "dropped instance " << service << " (" << directory->string() << ")\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return UsageError("no command given");
  const std::string& command = args[0];
  if (command == "--help" || command == "-h" || command == "help") {
    std::cout << kUsage;
    return 0;
  }
  try {
    if (command == "load") {
      if (args.size() < 3) return UsageError("load needs a SERVICE and at least one SCRIPT");
      return Load(args[1], std::vector<std::string>(args.begin() + 2, args.end()));
    }
    if (command == "query") {
      if (args.size() != 5) return UsageError("query needs SERVICE USER PASSWORD SQL");
      return Query(args[1], args[2], args[3], args[4]);
    }
    if (command == "drop") {
      if (args.size() != 2) return UsageError("drop needs exactly one SERVICE");
      return Drop(args[1]);
    }
  } catch (const std::exception& error) {
    std::cerr << "skerrow-oracle: " << error.what() << "\n";
    return 1;
  }
  return UsageError("unknown command \"" + command + "\"");
}
