#include <gtest/gtest.h>

#include <string>

#include "db/connection_string.h"

namespace skerrow {
namespace {

TEST(ConnectionStringTest, QuotesOnlyWhatWouldNotReadBackWhole) {
  struct Case {
    std::string value, written;
  };
  const Case cases[] = {
      {"DEMO", "DEMO"},
      {"", ""},
      {"db.example.com:1521/ORCL", "db.example.com:1521/ORCL"},
      {"pass word=1,", "pass word=1,"},
      {"in\"side", "in\"side"},  // a quote that does not start the value is plain text
      {"X;Data Source=Y", "\"X;Data Source=Y\""},
      {"\"quoted\"", "'\"quoted\"'"},
      {"'single'", "\"'single'\""},
      {"a;\"b\"", "'a;\"b\"'"},
      {"'a;\"b\"", "\"'a;\"\"b\"\"\""},
  };
  for (const auto& c : cases) EXPECT_EQ(ConnectionStringQuoted(c.value), c.written) << c.value;
}

// What the connection step writes, read back by the source connection.
TEST(ConnectionStringTest, EveryValueReadsBackAsWritten) {
  const std::string values[] = {
      "DEMO", "X;Data Source=Y", "\"X\"", "'X'", "'a;\"b\"", ";", "\"", "''", "a;b;c", "",
  };
  for (const auto& service : values) {
    for (const auto& user : values) {
      const std::string text = "Provider=MSDAORA.1;Data Source=" + ConnectionStringQuoted(service) +
                               ";Database=" + ConnectionStringQuoted(user) +
                               ";User ID=" + ConnectionStringQuoted(user) + ";Password=x,";
      EXPECT_EQ(ConnectionStringValue(text, "Data Source"), service) << text;
      EXPECT_EQ(ConnectionStringValue(text, "User ID"), user) << text;
      EXPECT_EQ(ConnectionStringValue(text, "Provider"), "MSDAORA.1") << text;
    }
  }
}

TEST(ConnectionStringTest, ReadsKeysAsTheProviderDoes) {
  struct Case {
    const char* text;
    const char* key;
    std::string value;
  };
  const Case cases[] = {
      {"Data Source=A;data source=B", "Data Source", "A"},  // the first occurrence
      {"  DATA SOURCE  =A", "data source", "A"},            // keys without case or blanks
      {"Provider;Data Source=A", "Data Source", "A"},       // a part without "="
      {"Data Source=", "Data Source", ""},
      {"Provider=X", "Data Source", ""},
      {"Data Source=\"A;B", "Data Source", "A;B"},  // never closed: the rest
      {"Data Source=\"A\"junk;User ID=u", "User ID", "u"},
      {"Data Source=\"A\"\"B\";User ID=u", "Data Source", "A\"B"},
      {"Data Source= A ", "Data Source", " A "},  // an unquoted value as it stands
  };
  for (const auto& c : cases) EXPECT_EQ(ConnectionStringValue(c.text, c.key), c.value) << c.text;
}

}  // namespace
}  // namespace skerrow
