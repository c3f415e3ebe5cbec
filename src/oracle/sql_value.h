#pragma once

#include <string>

#include "db/variant.h"

namespace skerrow::oracle {

// A value while a script expression is evaluated, before it is fitted to its column.
struct ScriptValue {
  enum class Kind {
    Null,    // NULL, and '' (Oracle treats the empty string as NULL)
    Number,  // exact decimal text in canonical form
    Text,
    Date,       // DATE: whole seconds
    Timestamp,  // TIMESTAMP: `date` plus `fraction` digits and an optional `zone` ("+02:00")
    Bytes,      // RAW
    EmptyLob,   // EMPTY_CLOB() / EMPTY_BLOB(): an empty LOB, not NULL
    Double,     // BINARY_DOUBLE / BINARY_FLOAT literals (1.5d, 1.5f)
  };
  Kind kind = Kind::Null;
  std::string text;  // Number, Text, Bytes, Double (as decimal text)
  SourceDate date;   // Date, Timestamp
  std::string fraction;
  std::string zone;
  // Text that is a constructor call (CUST_ADDRESS_TYP('...', ...)); nested in another
  // constructor it stands as it is, not as a quoted text.
  bool constructed = false;

  static ScriptValue Null() { return {}; }
  static ScriptValue Number(std::string exact) {
    ScriptValue v;
    v.kind = Kind::Number;
    v.text = std::move(exact);
    return v;
  }
  static ScriptValue Text(std::string utf8) {
    ScriptValue v;
    if (utf8.empty()) return v;  // '' is NULL
    v.kind = Kind::Text;
    v.text = std::move(utf8);
    return v;
  }
  static ScriptValue Bytes(std::string bytes) {
    ScriptValue v;
    if (bytes.empty()) return v;
    v.kind = Kind::Bytes;
    v.text = std::move(bytes);
    return v;
  }
  static ScriptValue OfDate(SourceDate value) {
    ScriptValue v;
    v.kind = Kind::Date;
    v.date = value;
    return v;
  }
  bool IsNull() const { return kind == Kind::Null; }
};

}  // namespace skerrow::oracle
