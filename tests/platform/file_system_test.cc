#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"

#ifndef _WIN32
#include <unistd.h>
#endif

TEST(PathAttributes, TellFilesFromDirectories) {
  TempDir dir;
  dir.Write("f.txt", "x");
  EXPECT_EQ(GetPathAttributes(dir.WinPath("missing").c_str()), kInvalidFileAttributes);
  EXPECT_EQ(GetPathAttributes(dir.WinPath().c_str()) & kAttributeDirectory, kAttributeDirectory);
  EXPECT_EQ(GetPathAttributes(dir.WinPath("f.txt").c_str()) & kAttributeDirectory, 0u);
  EXPECT_TRUE(CreateDirectoryAt(dir.WinPath("sub").c_str()));
  EXPECT_FALSE(CreateDirectoryAt(dir.WinPath("sub").c_str()));  // exists already
  EXPECT_FALSE(CreateDirectoryAt(dir.WinPath("no\\such\\parent").c_str()));
}

#ifndef _WIN32
TEST(PathAttributes, ALinkReportsItselfNotItsTarget) {
  TempDir dir;
  dir.Write("target/f.txt", "x");
  ASSERT_EQ(symlink(dir.Path("target").c_str(), dir.Path("link").c_str()), 0);
  ASSERT_EQ(symlink(dir.Path("none").c_str(), dir.Path("dangling").c_str()), 0);
  EXPECT_EQ(GetPathAttributes(dir.WinPath("link").c_str()),
            kAttributeDirectory | kAttributeReparsePoint);
  EXPECT_EQ(GetPathAttributes(dir.WinPath("dangling").c_str()),
            kAttributeArchive | kAttributeReparsePoint);
  EXPECT_EQ(GetPathAttributes(dir.WinPath("target").c_str()), kAttributeDirectory);
}
#endif
