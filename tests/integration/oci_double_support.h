#pragma once

// Shared by the OCI tests: points the converter's OCI provider at the test double of Oracle's
// client library and moves a fixture instance where only the double finds it.

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "db/source_connection.h"

namespace skerrow::test {

// Every row of a statement, fetched the way the workflow fetches (all at once).
inline std::vector<std::vector<Variant>> AllRows(SourceConnection& source, const std::string& sql) {
  source.Execute(sql);
  std::vector<std::vector<Variant>> rows;
  if (source.EndOfRows()) return rows;
  const RowArray block = source.GetRows();
  for (std::size_t row = 0; row < block.RowCount(); ++row) {
    std::vector<Variant> values;
    for (std::size_t field = 0; field < block.FieldCount(); ++field)
      values.push_back(block.At(field, row));
    rows.push_back(std::move(values));
  }
  return rows;
}

// Sets (or unsets) one environment variable for the life of the object.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = std::getenv(name)) previous_ = old;
    if (value)
      ::setenv(name, value->c_str(), 1);
    else
      ::unsetenv(name);
  }
  ~ScopedVariable() {
    if (previous_)
      ::setenv(name_, previous_->c_str(), 1);
    else
      ::unsetenv(name_);
  }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  const char* name_;
  std::optional<std::string> previous_;
};

// An empty directory for the life of the object (an instance search path with nothing on it).
class ScratchDirectory {
 public:
  explicit ScratchDirectory(const std::string& stem)
      : path_(std::filesystem::temp_directory_path() /
              (stem + "-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++))) {
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchDirectory() { std::filesystem::remove_all(path_); }
  const std::filesystem::path& Path() const { return path_; }

 private:
  static inline int counter_ = 0;
  std::filesystem::path path_;
};

// While alive, the instances in `doubleDirectory` are reachable only through the OCI path:
// SKERROW_ORACLE_PATH names an empty directory, the double serves `doubleDirectory`, and the
// provider loads the double as its client library.
class OciRoute {
 public:
  explicit OciRoute(const std::filesystem::path& doubleDirectory)
      : empty_("skerrow-oci-none"),
        oraclePath_("SKERROW_ORACLE_PATH", empty_.Path().string()),
        doublePath_("SKERROW_OCI_DOUBLE_PATH", doubleDirectory.string()),
        library_("SKERROW_OCI_LIBRARY", std::string(SKERROW_OCI_DOUBLE_LIBRARY)) {}
  const std::filesystem::path& EmptySearchDirectory() const { return empty_.Path(); }

 private:
  ScratchDirectory empty_;
  ScopedVariable oraclePath_;
  ScopedVariable doublePath_;
  ScopedVariable library_;
};

// What the double recorded since the last clear ("EXECUTE ...", "FETCH 256 256", ...); the
// double must have been loaded by the provider already.
inline std::string DoubleJournal() {
  void* handle = ::dlopen(SKERROW_OCI_DOUBLE_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
  if (!handle) return "(the double is not loaded)";
  auto journal = reinterpret_cast<const char* (*)()>(::dlsym(handle, "SkerrowOciDoubleJournal"));
  std::string text = journal ? journal() : "(no journal)";
  ::dlclose(handle);
  return text;
}

// The next call `call` of the double that would succeed returns `status` (for example
// OCI_SUCCESS_WITH_INFO, 1) with `message` instead. Loads the double if the provider has not.
inline void InjectIntoDouble(const char* call, int status, const std::string& message) {
  void* handle = ::dlopen(SKERROW_OCI_DOUBLE_LIBRARY, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  ASSERT_NE(handle, nullptr) << ::dlerror();
  auto inject = reinterpret_cast<void (*)(const char*, int, const char*)>(
      ::dlsym(handle, "SkerrowOciDoubleInject"));
  ASSERT_NE(inject, nullptr);
  inject(call, status, message.c_str());
  ::dlclose(handle);
}

// Everything written to std::clog (where the provider logs what Oracle notes) while alive.
class ClogCapture {
 public:
  ClogCapture() : previous_(std::clog.rdbuf(captured_.rdbuf())) {}
  ~ClogCapture() { std::clog.rdbuf(previous_); }
  ClogCapture(const ClogCapture&) = delete;
  ClogCapture& operator=(const ClogCapture&) = delete;
  std::string Text() const { return captured_.str(); }

 private:
  std::ostringstream captured_;
  std::streambuf* previous_;
};

// Clears the journal and any injection not taken yet.
inline void ClearDoubleJournal() {
  void* handle = ::dlopen(SKERROW_OCI_DOUBLE_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
  if (!handle) return;
  if (auto clear = reinterpret_cast<void (*)()>(::dlsym(handle, "SkerrowOciDoubleClearJournal")))
    clear();
  ::dlclose(handle);
}

}  // namespace skerrow::test
