#include "platform/text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Args = std::vector<std::string>;

TEST(SplitArguments, FollowsTheRuntimeRules) {
  EXPECT_EQ(SplitArguments("a  b\tc "), (Args{"a", "b", "c"}));
  EXPECT_EQ(SplitArguments("\"a b\" c"), (Args{"a b", "c"}));
  EXPECT_EQ(SplitArguments("a\"b c\"d"), (Args{"ab cd"}));
  EXPECT_EQ(SplitArguments("\"\""), (Args{""}));
  EXPECT_EQ(SplitArguments("a\\\\b"), (Args{"a\\\\b"}));       // lone backslashes stay
  EXPECT_EQ(SplitArguments("a\\\"b"), (Args{"a\"b"}));         // \" is a quote
  EXPECT_EQ(SplitArguments("\"a\\\\\" b"), (Args{"a\\", "b"}));  // \\" halves, quote ends
  EXPECT_EQ(SplitArguments("\"a\"\"b\""), (Args{"a\"b"}));       // "" inside quotes
  EXPECT_EQ(SplitArguments(""), Args{});
}

TEST(SplitCommandLine, ProgramNameTakesNoEscapes) {
  EXPECT_EQ(SplitCommandLine("\"C:\\my dir\\p.exe\" -x"), (Args{"C:\\my dir\\p.exe", "-x"}));
  EXPECT_EQ(SplitCommandLine("C:\\a\\\"b c"), (Args{"C:\\a\\b c"}));
  EXPECT_EQ(SplitCommandLine("p.exe"), (Args{"p.exe"}));
}

TEST(QuoteArgument, RoundTripsThroughTheSplitter) {
  const Args cases[] = {
      {},
      {""},
      {"plain", "two words", "tab\there"},
      {"quote\"inside", "\"", "\"\"", "ends with \\", "\\\\server\\share\\"},
      {"back\\\\\"slash", "  ", "\\\"", "a\\b\\\\c"},
      {"multi\nline", "\x81\\\x82", "trail\\"},
  };
  for (const Args& args : cases) {
    EXPECT_EQ(SplitArguments(JoinArguments(args).c_str()), args) << JoinArguments(args);
  }
  EXPECT_EQ(QuoteArgument("simple"), "simple");
  EXPECT_EQ(QuoteArgument("a b"), "\"a b\"");
  EXPECT_EQ(QuoteArgument(""), "\"\"");
  EXPECT_EQ(QuoteArgument("x\\"), "x\\");  // no quotes, no doubling needed
}
