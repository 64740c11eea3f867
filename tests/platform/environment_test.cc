// %NAME% references expanded as the system's ExpandEnvironmentStringsA does:
// the same table runs against our own expansion and, in the Windows test
// build, against the system's.
#include "platform/environment_expansion.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

void SetVariable(const char* name, const char* value) {
#ifdef _WIN32
  _putenv((std::string(name) + "=" + value).c_str());
#else
  setenv(name, value, 1);
#endif
}

}  // namespace

TEST(EnvironmentExpansion, ReferencesFollowTheSystemsRules) {
  SetVariable("EXPAND_TEST_DIR", "C:\\Temp");
  SetVariable("EXPAND_TEST_B", "bee");
  const struct {
    const char* text;
    const char* expanded;
  } cases[] = {
      {"%EXPAND_TEST_DIR%\\nwsetup.log", "C:\\Temp\\nwsetup.log"},
      {"%expand_test_dir%\\x", "C:\\Temp\\x"},        // names match without regard to case
      {"%EXPAND_TEST_NONE%\\x", "%EXPAND_TEST_NONE%\\x"},  // undefined: kept as written
      {"%EXPAND_TEST_NONE%EXPAND_TEST_B%", "%EXPAND_TEST_NONE%EXPAND_TEST_B%"},  // scan goes on after it
      {"100%% %EXPAND_TEST_B%", "100%% bee"},         // "%%" is no escape
      {"50% off", "50% off"},                          // a lone "%" stays
      {"%EXPAND_TEST_B%%EXPAND_TEST_B%", "beebee"},
      {"", ""},
  };
  for (const auto& c : cases) {
    std::string expanded;
    ASSERT_TRUE(ExpandEnvironmentReferences(c.text, &expanded)) << c.text;
    EXPECT_EQ(expanded, c.expanded) << c.text;
  }
}
