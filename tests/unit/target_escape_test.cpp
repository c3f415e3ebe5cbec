#include <gtest/gtest.h>

#include <string>

#include "db/target_connection.h"

namespace skerrow {
namespace {

// Each test runs in a process of its own, so this one meets the client library before anything
// has initialised it: escaping without a handle must not depend on an earlier mysql_init.
TEST(TargetEscapeTest, EscapesWithoutAHandle) {
  const TargetConnection unconnected{};
  const std::string text = "O'Brien \\ \"x\"\n\r\x1a";
  EXPECT_EQ(unconnected.EscapeString(std::string_view(text)), "O\\'Brien \\\\ \\\"x\\\"\\n\\r\\Z");
  EXPECT_EQ(unconnected.EscapeString(std::string_view("a\0b", 3)), "a\\0b");
}

}  // namespace
}  // namespace skerrow
