// What PathRemoveFileSpecA makes of a path: ours everywhere, and in the
// Windows build the system's own function too (under Wine), case by case.
#include "platform/shell.h"

#include <gtest/gtest.h>

#include <cstring>

#ifdef _WIN32
#include <windows.h>
#include <shlwapi.h>
#endif

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
#ifdef _WIN32
    std::strcpy(buffer, c.path);
    EXPECT_EQ(PathRemoveFileSpecA(buffer) != 0, c.changed) << c.path;
    EXPECT_STREQ(buffer, c.expected) << c.path;
#endif
  }
}

}  // namespace
