#pragma once

#include <string>
#include <string_view>

#include "db/variant.h"

namespace skerrow::oracle {

struct DefaultContext {
  std::string user;  // what USER gives
  long userId = 0;   // what UID gives
};

// The value of a column's DEFAULT text (as the dictionary keeps it, trailing line break and
// "-- comment" included) for an INSERT that leaves the column out: literals, NULL, SYSDATE,
// SYSTIMESTAMP, USER, UID, SYS_GUID(), EMPTY_CLOB(), EMPTY_BLOB(), in parentheses or not. Throws
// std::runtime_error naming the text when the stand-in cannot compute it.
Variant EvaluateColumnDefault(std::string_view defaultText, const DefaultContext& context);

// 16 random bytes, as SYS_GUID() gives.
std::string RandomGuid();

}  // namespace skerrow::oracle
