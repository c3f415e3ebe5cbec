#pragma once

#include <ostream>
#include <string>
#include <utility>
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
      {"unseen_sample.sql", "oex", "oex_pw"}, {"block_sample.sql", "shop_owner", "shop_pw"},
      {"ddl_export.sql", "inv", "inv_pw"},
  };
  return users;
}

// Fixture scripts left out of the recorded comparisons, each with the reason.
inline const std::vector<std::pair<std::string, std::string>>& FixturesNotRecorded() {
  static const std::vector<std::pair<std::string, std::string>> scripts = {
      {"generated_rows.sql",
       "100,000 generated rows; embedded_scripts_test converts it and counts every row"},
  };
  return scripts;
}

}  // namespace skerrow::test
