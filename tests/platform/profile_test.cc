// These expectations are what Windows' own profile functions return: the
// Windows build checks them against the system (under Wine), the POSIX build
// against our reader, so both readers are held to the same table.
#include "platform/profile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/profile_parse.h"
#include "support/temp_dir.h"

namespace {

struct StringCase {
  std::string ini;
  const char* section;
  const char* key;
  const char* defaultValue;
  unsigned long size;
  const char* expected;
};

const StringCase kStringCases[] = {
    {"[PARAMS]\nA=hello\n", "PARAMS", "A", "d", 261, "hello"},
    {"[params]\na=x\n", "PARAMS", "A", "d", 261, "x"},
    {"[PARAMS]\nA=x\n", "PARAMS", "B", "def", 261, "def"},
    {"[PARAMS]\nA=x\n", "OTHER", "A", "def", 261, "def"},
    {"[PARAMS]\nA=\nB=1\n", "PARAMS", "A", "def", 261, ""},
    {"[PARAMS]\n  A  =   v w   \n", "PARAMS", "A", "", 261, "v w"},
    {"[PARAMS]\nA=\"  quoted  \"\n", "PARAMS", "A", "", 261, "  quoted  "},
    {"[PARAMS]\nA='x'\n", "PARAMS", "A", "", 261, "x"},
    {"[PARAMS]\nA=\"x\n", "PARAMS", "A", "", 261, "\"x"},
    {"[PARAMS]\nA=\"\n", "PARAMS", "A", "", 261, "\""},
    {"[PARAMS]\nA=abcdef\n", "PARAMS", "A", "", 4, "abc"},
    {"[PARAMS]\nA=abcdef\n", "PARAMS", "A", "", 1, ""},
    {"[PARAMS]\nA=1\nA=2\n", "PARAMS", "A", "", 261, "1"},
    {"[S]\r\nA=v\r\n\r\n[T]\r\nA=w\r\n", "T", "A", "", 261, "w"},
    {"[S]\nA\nB=2\n", "S", "A", "def", 261, "def"},
    {"[S]\nB=2\n", "S", "A", "d  ", 261, "d"},
    {"[S] junk\nA=1\n", "S", "A", "", 261, "1"},
    {"A=0\n[S]\nA=1\n", "S", "A", "", 261, "1"},
    {"[S]\n;A=1\nA=2\n", "S", "A", "", 261, "2"},
    {"[S]\nA=1\n", " S ", " A ", "", 261, "1"},
    {"[S]\nA=b=c\n", "S", "A", "", 261, "b=c"},
    {"  [S]  \n\tA\t=\tx\n", "S", "A", "", 261, "x"},
    {"[S]\nA=caf\xe9\n", "S", "A", "", 261, "caf\xe9"},
    {"[S]\nA B=1\n", "S", "A B", "", 261, "1"},
    {std::string("[S]\nA=\"ab\0c\"\n", 13), "S", "A", "", 261, "\"ab"},
};

struct IntCase {
  const char* ini;
  int defaultValue;
  uint32_t expected;
};

const IntCase kIntCases[] = {
    {"[S]\nN=42\n", 7, 42},
    {"[S]\nN= -1\n", 7, 0xFFFFFFFFu},
    {"[S]\nN=+7\n", 0, 7},
    {"[S]\nN=12abc\n", 0, 12},
    {"[S]\nN=abc\n", 7, 0},
    {"[S]\nN=\n", 7, 7},
    {"[S]\nM=1\n", 7, 7},
    {"[S]\nN=0x10\n", 7, 16},
    {"[S]\nN=-0x10\n", 7, 0xFFFFFFF0u},
    {"[S]\nN=0x1G\n", 7, 1},
    {"[S]\nN=0o17\n", 7, 15},
    {"[S]\nN=0b101\n", 7, 5},
    {"[S]\nN=019\n", 7, 19},
    {"[S]\nN=4294967297\n", 7, 1},
    {"[S]\nN=\"5\"\n", 7, 5},
    {"[S]\nN=1 2\n", 7, 1},
    {"", -1, 0xFFFFFFFFu},
};

}  // namespace

TEST(ProfileString, MatchesTheSystemRules) {
  TempDir dir;
  for (const StringCase& c : kStringCases) {
    dir.Write("t.ini", c.ini);
    char buffer[300];
    std::memset(buffer, 'X', sizeof(buffer));
    unsigned long length = ReadProfileString(c.section, c.key, c.defaultValue, buffer, c.size,
                                             dir.WinPath("t.ini").c_str());
    EXPECT_STREQ(buffer, c.expected) << c.ini;
    EXPECT_EQ(length, std::strlen(c.expected)) << c.ini;
  }
}

TEST(ProfileInt, MatchesTheSystemRules) {
  TempDir dir;
  for (const IntCase& c : kIntCases) {
    dir.Write("t.ini", c.ini);
    EXPECT_EQ(ReadProfileInt("S", "N", c.defaultValue, dir.WinPath("t.ini").c_str()), c.expected)
        << c.ini;
  }
}

TEST(ProfileString, MissingFileGivesTheDefault) {
  TempDir dir;
  char buffer[16];
  EXPECT_EQ(ReadProfileString("S", "A", "fallback", buffer, sizeof(buffer),
                              dir.WinPath("none.ini").c_str()),
            8u);
  EXPECT_STREQ(buffer, "fallback");
  EXPECT_EQ(ReadProfileInt("S", "A", 5, dir.WinPath("none.ini").c_str()), 5u);
}

TEST(ProfileReader, ACutValueIsAPrefixOfTheWholeValue) {
  const std::string ini = "[S]\nA=\"0123456789\"\nB=0123456789\n";
  for (const char* key : {"A", "B"}) {
    char whole[64];
    ProfileStringFromText(&ini, "S", key, "", whole, sizeof(whole));
    for (unsigned long size = 1; size < 12; ++size) {
      char cut[64];
      unsigned long length = ProfileStringFromText(&ini, "S", key, "", cut, size);
      EXPECT_EQ(length, std::min<unsigned long>(size - 1, std::strlen(whole)));
      EXPECT_EQ(std::string(whole).substr(0, length), cut);
    }
  }
}

TEST(ProfileKeyNames, MatchTheSystemList) {
  struct Case {
    std::string ini;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"[P]\n  Ab c = 1\nbare\n;note=1\n=x\nAB C=2\n[Q]\nq=1\n[p]\nlate=1\n",
       {"Ab c", "", "AB C"}},
      {"[Q]\nq=1\n", {}},
      {"", {}},
  };
  TempDir dir;
  for (const Case& c : cases) {
    dir.Write("t.ini", c.ini);
    EXPECT_EQ(ReadProfileKeyNames("p", dir.WinPath("t.ini").c_str()), c.expected) << c.ini;
  }
  EXPECT_TRUE(ReadProfileKeyNames("P", dir.WinPath("none.ini").c_str()).empty());

  // A list longer than any first guess at its size comes back whole.
  std::string many = "[P]\n";
  for (int i = 0; i < 3000; ++i) many += "KEY_NUMBER_" + std::to_string(i) + "=v\n";
  dir.Write("t.ini", many);
  const std::vector<std::string> names = ReadProfileKeyNames("P", dir.WinPath("t.ini").c_str());
  ASSERT_EQ(names.size(), 3000u);
  EXPECT_EQ(names.back(), "KEY_NUMBER_2999");
}
