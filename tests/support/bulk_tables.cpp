#include "support/bulk_tables.h"

namespace skerrow::test {

std::string BulkTablesScript(const std::string& user, const std::string& password,
                             const std::string& prefix, int tables, int rows) {
  const auto table = [&](int number) { return prefix + "_" + std::to_string(number); };
  std::string script = "CREATE USER " + user + " IDENTIFIED BY " + password + ";\n" + "CONNECT " +
                       user + "/" + password + "\n";
  for (int t = 1; t <= tables; ++t)
    script += "CREATE TABLE " + table(t) +
              " (id NUMBER(10) PRIMARY KEY, label VARCHAR2(40), amount NUMBER(9,2));\n";
  // One loop fills the first table; the others copy it, which loads far faster.
  script += "BEGIN\n  FOR i IN 1 .. " + std::to_string(rows) + " LOOP\n    INSERT INTO " +
            table(1) + " VALUES (i, 'row ' || i, i / 4);\n  END LOOP;\nEND;\n/\n";
  for (int t = 2; t <= tables; ++t)
    script += "INSERT INTO " + table(t) + " SELECT * FROM " + table(1) + ";\n";
  return script + "COMMIT;\n";
}

}  // namespace skerrow::test
