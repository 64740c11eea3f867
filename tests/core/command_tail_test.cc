#include "core/command_tail.h"

#include <gtest/gtest.h>

TEST(SkipProgramName, RemovesNameAndFollowingBlanks) {
  EXPECT_STREQ(SkipProgramName("Setup.exe -silent"), "-silent");
  EXPECT_STREQ(SkipProgramName("Setup.exe \t  -a  -b  "), "-a  -b  ");
  EXPECT_STREQ(SkipProgramName("Setup.exe"), "");
  EXPECT_STREQ(SkipProgramName(""), "");
  EXPECT_STREQ(SkipProgramName(nullptr), "");
}

TEST(SkipProgramName, QuotedNameWithBlanksIsRemovedWhole) {
  EXPECT_STREQ(SkipProgramName("\"D:\\my pkg\\Setup.exe\" -x \"a b\""), "-x \"a b\"");
  // Quotes toggle anywhere in the name, not only around it.
  EXPECT_STREQ(SkipProgramName("D:\\my\" \"pkg\\Setup.exe  y"), "y");
  // An unterminated quote swallows the rest of the line.
  EXPECT_STREQ(SkipProgramName("\"D:\\Setup.exe -x"), "");
}

TEST(SkipProgramName, AnyControlByteEndsAnUnquotedName) {
  EXPECT_STREQ(SkipProgramName("Setup.exe\x01\x02tail"), "tail");
  EXPECT_STREQ(SkipProgramName("Setup.exe\ttail"), "tail");
}

TEST(SkipProgramName, TailIsKeptByteForByte) {
  const char* line = "S.exe  \"quoted  arg\"  \\\"x\\\"   ";
  EXPECT_STREQ(SkipProgramName(line), "\"quoted  arg\"  \\\"x\\\"   ");
}
