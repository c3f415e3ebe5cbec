#pragma once

#include <map>
#include <string>

#include "oracle/loader/script_loader.h"

namespace skerrow::oracle {

// The variables and exceptions a running PL/SQL block declared; names inside see those of the
// blocks around them.
struct ScriptLoader::Scope {
  struct Variable {
    ColumnDefinition type;  // the declared type as a column would have it
    bool boolean = false;
    bool constant = false;
    ScriptValue value;
  };
  Scope* parent = nullptr;
  std::map<std::string, Variable> variables;
  std::map<std::string, long> exceptions;  // a declared exception and the ORA- code it stands for
  long sqlCode = 0;                        // SQLCODE and SQLERRM inside a handler
  std::string sqlErrm;

  Variable* Find(const std::string& name) {
    for (Scope* scope = this; scope; scope = scope->parent) {
      auto found = scope->variables.find(name);
      if (found != scope->variables.end()) return &found->second;
    }
    return nullptr;
  }
};

// Makes a block's scope the one whose names statements see, until it goes out of scope.
class ScopeSwitch {
 public:
  ScopeSwitch(ScriptLoader::Scope*& current, ScriptLoader::Scope* next)
      : current_(current), saved_(current) {
    current_ = next;
  }
  ~ScopeSwitch() { current_ = saved_; }
  ScopeSwitch(const ScopeSwitch&) = delete;
  ScopeSwitch& operator=(const ScopeSwitch&) = delete;

 private:
  ScriptLoader::Scope*& current_;
  ScriptLoader::Scope* saved_;
};

}  // namespace skerrow::oracle
