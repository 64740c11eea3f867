// What PathRemoveFileSpecA makes of a path: the Windows build checks the
// system's own function (under Wine), the POSIX build ours.
#include "platform/shell.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(RemoveFileSpec, CutsTheLastComponentButKeepsARoot) {
  struct Case {
    const char* path;
    const char* expected;
    bool changed;
  };
  const Case cases[] = {
      {"C:\\Documents and Settings\\All Users", "C:\\Documents and Settings", true},
      {"C:\\AllProfiles", "C:\\", true},
      {"C:\\a\\b\\", "C:\\a\\b", true},
      {"C:\\", "C:\\", false},
      {"C:", "C:", false},
      {"C:file", "C:", true},
      {"\\top", "\\", true},
      {"\\\\server\\share", "\\\\server", true},
      {"name", "", true},
      {"", "", false},
  };
  for (const Case& c : cases) {
    char buffer[64];
    std::strcpy(buffer, c.path);
    EXPECT_EQ(RemoveFileSpec(buffer), c.changed) << c.path;
    EXPECT_STREQ(buffer, c.expected) << c.path;
  }
}

}  // namespace
