#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace skerrow::test {

// A user of a fixture script in tests/fixtures, to log on as.
struct FixtureUser {
  std::string script;
  std::string user;
  std::string password;
};

// For test names and failure messages: the script and the user, not the struct's bytes.
inline void PrintTo(const FixtureUser& fixture, std::ostream* out) {
  *out << fixture.script << " as " << fixture.user;
}

// Every user of every fixture script who owns tables.
inline const std::vector<FixtureUser>& EveryFixtureUser() {
  static const std::vector<FixtureUser> users = {
      {"classic.sql", "scott", "tiger"},      {"exact_values.sql", "exact", "exact_pw"},
      {"hr_style.sql", "hr", "hrpw"},         {"keys.sql", "shop", "shop_pw"},
      {"keys.sql", "store", "store_pw"},      {"names.sql", "odd", "odd_pw"},
      {"sample_style.sql", "hrs", "hrs_pw"},  {"types.sql", "types", "types_pw"},
      {"unseen_sample.sql", "oex", "oex_pw"},
  };
  return users;
}

}  // namespace skerrow::test
