// Runs one file of embedded-Oracle cases (the format is in README.md beside this file) and
// reports every record that does not give what the file expects. Exit status 0 when all pass.
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "db/source_connection.h"
#include "oracle/embedded_instance.h"
#include "oracle/loader/script_loader.h"
#include "providers/source_providers.h"
#include "support/oracle_fixture.h"
#include "text/ascii.h"

namespace {

namespace fs = std::filesystem;
using skerrow::oracle::EmbeddedInstance;
using skerrow::oracle::ScriptLoader;

constexpr const char* kService = "CASES";

struct Record {
  std::string directive;
  std::vector<std::string> arguments;
  int line = 0;
  std::string body;
  std::vector<std::string> expected;
  bool hasExpected = false;
};

std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

// Reads the records of a case file; throws std::runtime_error naming the line for a malformed
// file.
std::vector<Record> ReadRecords(const fs::path& file) {
  std::ifstream in(file);
  if (!in) throw std::runtime_error("cannot read " + file.string());
  std::vector<Record> records;
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    const std::string_view trimmed = skerrow::text::TrimmedView(line);
    if (trimmed.empty() || trimmed.front() == '#') continue;
    Record record;
    record.line = number;
    std::vector<std::string> words = Words(line);
    record.directive = words.front();
    record.arguments.assign(words.begin() + 1, words.end());
    if (record.directive == "reset") {
      records.push_back(std::move(record));
      continue;
    }
    static const std::vector<std::string> kKnown = {"load", "load-error", "file", "query",
                                                    "query-error"};
    if (std::find(kKnown.begin(), kKnown.end(), record.directive) == kKnown.end())
      throw std::runtime_error(file.string() + ":" + std::to_string(number) +
                               ": unknown directive \"" + record.directive + "\"");
    bool ended = false;
    while (std::getline(in, line)) {
      ++number;
      if (line == "end") {
        ended = true;
        break;
      }
      if (line == "----" && !record.hasExpected) {
        record.hasExpected = true;
        continue;
      }
      if (record.hasExpected)
        record.expected.push_back(line);
      else
        record.body += line + "\n";
    }
    if (!ended)
      throw std::runtime_error(file.string() + ":" + std::to_string(record.line) +
                               ": the record is not closed by a line holding \"end\"");
    records.push_back(std::move(record));
  }
  return records;
}

// Rows are compared one a line: a line break or tab inside a value is written \n or \t, and a
// backslash \\.
std::vector<std::string> Escaped(std::vector<std::string> rows) {
  for (std::string& row : rows) {
    std::string shown;
    for (char c : row) {
      if (c == '\n')
        shown += "\\n";
      else if (c == '\t')
        shown += "\\t";
      else if (c == '\\')
        shown += "\\\\";
      else
        shown += c;
    }
    row = std::move(shown);
  }
  return rows;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += "    " + line + "\n";
  return text;
}

class CaseRun {
 public:
  explicit CaseRun(fs::path file) : file_(std::move(file)) {
    std::string pattern = (fs::temp_directory_path() / "skerrow-cases-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
      throw std::runtime_error("cannot create a temporary directory");
    root_ = pattern;
    setenv("SKERROW_ORACLE_PATH", root_.c_str(), 1);
    Reset();
  }
  ~CaseRun() {
    loader_.reset();
    instance_.reset();
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  int Run() {
    int failures = 0;
    const std::vector<Record> records = ReadRecords(file_);
    for (const Record& record : records) {
      std::string failure;
      try {
        failure = RunRecord(record);
      } catch (const std::exception& error) {
        failure = std::string("unexpected error: ") + error.what();
      }
      if (!failure.empty()) {
        ++failures;
        std::cout << file_.filename().string() << ":" << record.line << ": " << record.directive
                  << " failed\n"
                  << failure << "\n";
      }
    }
    std::cout << records.size() - static_cast<std::size_t>(failures) << " passed, " << failures
              << " failed\n";
    return failures == 0 ? 0 : 1;
  }

 private:
  void Reset() {
    loader_.reset();
    instance_.reset();
    std::error_code ignored;
    fs::remove_all(root_ / kService, ignored);
    instance_ = EmbeddedInstance::Create(root_ / kService);
    loader_ = std::make_unique<ScriptLoader>(*instance_);
  }

  fs::path Write(const Record& record) {
    if (record.arguments.size() != 1) throw std::runtime_error("a file name is needed");
    const fs::path path = root_ / record.arguments[0];
    std::ofstream(path, std::ios::binary) << record.body;
    return path;
  }

  std::string RunRecord(const Record& record) {
    if (record.directive == "reset") {
      Reset();
      return {};
    }
    if (record.directive == "file") {
      Write(record);
      return {};
    }
    if (record.directive == "load" || record.directive == "load-error") {
      const fs::path script = Write(record);
      const bool mustFail = record.directive == "load-error";
      try {
        const skerrow::oracle::LoadResult result = loader_->LoadFile(script);
        if (mustFail) return "  the load succeeded, but it should have failed";
        if (!record.hasExpected && result.failures.empty()) return {};
        std::vector<std::string> notices;
        for (const auto& notice : result.notices) notices.push_back(notice.ToString());
        for (const auto& failure : result.failures)
          notices.push_back("failed: " + failure.ToString());
        if (notices != record.expected)
          return "  notices:\n" + Joined(notices) + "  expected:\n" + Joined(record.expected);
        return {};
      } catch (const std::exception& error) {
        if (!mustFail) return std::string("  the load failed: ") + error.what();
        return MissingParts(error.what(), record.expected);
      }
    }
    if (record.arguments.size() != 2) throw std::runtime_error("USER PASSWORD are needed");
    // Queries see what the loads committed; a load's session commits at its end.
    skerrow::SourceConnection source{skerrow::StandardSourceProviders()};
    skerrow::test::OpenOracle(source, kService, record.arguments[0], record.arguments[1]);
    std::string sql = record.body;
    while (!sql.empty() && (sql.back() == '\n' || sql.back() == ' ')) sql.pop_back();
    if (record.directive == "query-error") {
      try {
        const auto rows = Escaped(skerrow::test::QueryRows(source, sql));
        return "  the query succeeded, but it should have failed; rows:\n" + Joined(rows);
      } catch (const skerrow::SourceError& error) {
        return MissingParts(error.Description().value_or(""), record.expected);
      }
    }
    std::vector<std::string> rows;
    try {
      rows = Escaped(skerrow::test::QueryRows(source, sql));
    } catch (const skerrow::SourceError& error) {
      return "  the query failed: " + error.Description().value_or("");
    }
    if (rows != record.expected)
      return "  rows:\n" + Joined(rows) + "  expected:\n" + Joined(record.expected);
    return {};
  }

  static std::string MissingParts(const std::string& message,
                                  const std::vector<std::string>& parts) {
    std::string missing;
    for (const auto& part : parts)
      if (message.find(part) == std::string::npos) missing += "    " + part + "\n";
    if (missing.empty()) return {};
    return "  the error was: " + message + "\n  it does not contain:\n" + missing;
  }

  fs::path file_;
  fs::path root_;
  std::unique_ptr<EmbeddedInstance> instance_;
  std::unique_ptr<ScriptLoader> loader_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: skerrow_case_runner FILE.test\n";
    return 2;
  }
  try {
    CaseRun run{fs::path(argv[1])};
    return run.Run();
  } catch (const std::exception& error) {
    std::cerr << error.what() << "\n";
    return 1;
  }
}
