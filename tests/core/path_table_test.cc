#include "core/path_table.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/text.h"
#include "support/code_page_locale.h"

namespace {

OsVersion Nt(uint32_t major, uint32_t minor) { return {kPlatformWin32Nt, major, minor}; }
OsVersion Win9x(uint32_t minor) { return {kPlatformWin32Windows, 4, minor}; }

}  // namespace

TEST(PlatformKind, FollowsTheVersionTable) {
  EXPECT_EQ(PlatformKindFromVersion({kPlatformWin32s, 3, 1}), 0);
  EXPECT_EQ(PlatformKindFromVersion(Win9x(0)), 1);
  EXPECT_EQ(PlatformKindFromVersion(Win9x(10)), 3);
  EXPECT_EQ(PlatformKindFromVersion(Win9x(90)), 4);
  EXPECT_EQ(PlatformKindFromVersion(Win9x(5)), 8);
  EXPECT_EQ(PlatformKindFromVersion({kPlatformWin32Windows, 7, 10}), 3);  // major not looked at
  EXPECT_EQ(PlatformKindFromVersion(Nt(5, 0)), 5);
  EXPECT_EQ(PlatformKindFromVersion(Nt(5, 1)), 6);
  EXPECT_EQ(PlatformKindFromVersion(Nt(5, 2)), 7);
  EXPECT_EQ(PlatformKindFromVersion(Nt(5, 3)), 8);
  EXPECT_EQ(PlatformKindFromVersion(Nt(4, 0)), 2);
  EXPECT_EQ(PlatformKindFromVersion(Nt(3, 51)), 2);
  EXPECT_EQ(PlatformKindFromVersion(Nt(6, 1)), 8);
  EXPECT_EQ(PlatformKindFromVersion(Nt(10, 0)), 8);
  EXPECT_EQ(PlatformKindFromVersion({3, 5, 1}), 8);
}

TEST(DeriveStartupPaths, WindowsXpPicksTheXpArchives) {
  PathTable table;
  OsVersion xp = Nt(5, 1);
  EXPECT_EQ(DeriveStartupPathsFrom("D:\\wlan\\Setup.exe", &xp, &table), 1);
  EXPECT_STREQ(table.exeDirectory, "D:\\wlan");
  EXPECT_STREQ(table.exeFileName, "Setup.exe");
  EXPECT_STREQ(table.iniPath, "D:\\wlan\\Setup.ini");
  EXPECT_EQ(table.platformKind, 6);
  EXPECT_STREQ(table.systemArchivePath, "D:\\wlan\\Setup.xp");
  EXPECT_STREQ(table.profileArchivePath, "D:\\wlan\\Setup.sxp");
}

TEST(DeriveStartupPaths, EveryOtherSystemPicksThe2kArchives) {
  for (OsVersion version : {Nt(5, 0), Nt(5, 2), Nt(6, 1), Win9x(10)}) {
    PathTable table;
    DeriveStartupPathsFrom("D:\\wlan\\Setup.exe", &version, &table);
    EXPECT_STREQ(table.systemArchivePath, "D:\\wlan\\Setup.2k");
    EXPECT_STREQ(table.profileArchivePath, "D:\\wlan\\Setup.s2k");
  }
}

TEST(DeriveStartupPaths, OnlyTheLastDotOfTheWholePathCounts) {
  PathTable table;
  OsVersion version = Nt(5, 0);
  DeriveStartupPathsFrom("D:\\wlan\\Setup.tar.exe", &version, &table);
  EXPECT_STREQ(table.iniPath, "D:\\wlan\\Setup.tar.ini");
  DeriveStartupPathsFrom("D:\\wlan\\Setup", &version, &table);
  EXPECT_STREQ(table.iniPath, "D:\\wlan\\Setup.ini");
  EXPECT_STREQ(table.systemArchivePath, "D:\\wlan\\Setup.2k");
  DeriveStartupPathsFrom("D:\\rel1.2\\Setup", &version, &table);
  EXPECT_STREQ(table.iniPath, "D:\\rel1.ini");
  EXPECT_STREQ(table.profileArchivePath, "D:\\rel1.s2k");
  EXPECT_STREQ(table.exeFileName, "Setup");
}

TEST(DeriveStartupPaths, NoBackslashGivesTheWholePathTwice) {
  PathTable table;
  OsVersion version = Nt(5, 0);
  DeriveStartupPathsFrom("Setup.exe", &version, &table);
  EXPECT_STREQ(table.exeDirectory, "Setup.exe");
  EXPECT_STREQ(table.exeFileName, "Setup.exe");
  EXPECT_STREQ(table.iniPath, "Setup.ini");
}

TEST(DeriveStartupPaths, FailedVersionQueryStopsAfterTheIniPath) {
  PathTable table;
  EXPECT_EQ(DeriveStartupPathsFrom("D:\\wlan\\Setup.exe", nullptr, &table), 0);
  EXPECT_STREQ(table.iniPath, "D:\\wlan\\Setup.ini");
  EXPECT_EQ(table.platformKind, 0);
  EXPECT_STREQ(table.systemArchivePath, "");
  EXPECT_STREQ(table.profileArchivePath, "");
}

TEST(DeriveStartupPaths, PathsThatWouldNotFitStayEmpty) {
  PathTable table;
  OsVersion version = Nt(5, 1);
  // 259 characters: ".2k" still fits in place of ".e", ".ini" does not.
  std::string module = "D:\\" + std::string(254, 'a');
  std::string moduleWithExtension = module + ".e";
  OsVersion win2000 = Nt(5, 0);
  DeriveStartupPathsFrom(moduleWithExtension.c_str(), &win2000, &table);
  EXPECT_STREQ(table.iniPath, "");
  EXPECT_EQ(std::string(table.systemArchivePath), module + ".2k");
  EXPECT_STREQ(table.profileArchivePath, "");
  // A module path longer than a path buffer is not used at all.
  std::string tooLong = "D:\\" + std::string(300, 'a') + ".exe";
  DeriveStartupPathsFrom(tooLong.c_str(), &version, &table);
  EXPECT_STREQ(table.iniPath, ".ini");
  EXPECT_STREQ(table.exeFileName, "");
}

TEST(DeriveStartupPaths, TrailByteOfADoubleByteCharacterIsNoSeparator) {
  CodePageLocale locale("ja_JP.SJIS");
  if (!IsAnsiLeadByte(0x95)) GTEST_SKIP() << "the ANSI code page has no lead bytes";
  PathTable table;
  OsVersion version = Nt(5, 0);
  // "D:\pkg\x95\x5C\Setup.exe": 0x95 0x5C is one character ending in 0x5C.
  DeriveStartupPathsFrom("D:\\pkg\x95\\\\Setup.exe", &version, &table);
  EXPECT_STREQ(table.exeDirectory, "D:\\pkg\x95\\");
  EXPECT_STREQ(table.exeFileName, "Setup.exe");
  // A trail byte 0x2E is no dot either.
  DeriveStartupPathsFrom("D:\\a.b\\x\x81.", &version, &table);
  EXPECT_STREQ(table.iniPath, "D:\\a.ini");
}
