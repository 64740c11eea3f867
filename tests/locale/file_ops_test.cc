#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

void MakeReadOnly(const std::string& path) {
  fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
}

void MakeWritable(const std::string& path) {
  fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
}

}  // namespace

TEST(RenameWithoutReplacing, NeverReplacesAndNeedsBothEnds) {
  TempDir dir;
  dir.Write("a", "A");
  dir.Write("b", "B");
  fs::create_directory(dir.Path("d"));
  EXPECT_FALSE(RenameWithoutReplacing(dir.WinPath("a").c_str(), dir.WinPath("b").c_str()));
  EXPECT_FALSE(RenameWithoutReplacing(dir.WinPath("a").c_str(), dir.WinPath("d").c_str()));
  EXPECT_FALSE(RenameWithoutReplacing(dir.WinPath("x").c_str(), dir.WinPath("y").c_str()));
  EXPECT_FALSE(RenameWithoutReplacing(dir.WinPath("a").c_str(), dir.WinPath("no\\a").c_str()));
  EXPECT_EQ(dir.Read("a"), "A");
  EXPECT_EQ(dir.Read("b"), "B");

  EXPECT_TRUE(RenameWithoutReplacing(dir.WinPath("a").c_str(), dir.WinPath("c").c_str()));
  EXPECT_FALSE(dir.Exists("a"));
  EXPECT_EQ(dir.Read("c"), "A");
  EXPECT_TRUE(RenameWithoutReplacing(dir.WinPath("d").c_str(), dir.WinPath("e").c_str()));
  EXPECT_TRUE(fs::is_directory(dir.Path("e")));
}

TEST(CopyFileWithoutReplacing, FailsWhenTargetTakenOrSourceNoFile) {
  TempDir dir;
  dir.Write("a", std::string(200000, 'x') + "end");
  dir.Write("b", "B");
  fs::create_directory(dir.Path("d"));
  EXPECT_FALSE(CopyFileWithoutReplacing(dir.WinPath("a").c_str(), dir.WinPath("b").c_str()));
  EXPECT_FALSE(CopyFileWithoutReplacing(dir.WinPath("a").c_str(), dir.WinPath("d").c_str()));
  EXPECT_FALSE(CopyFileWithoutReplacing(dir.WinPath("d").c_str(), dir.WinPath("c").c_str()));
  EXPECT_FALSE(CopyFileWithoutReplacing(dir.WinPath("x").c_str(), dir.WinPath("c").c_str()));
  EXPECT_FALSE(dir.Exists("c"));
  EXPECT_EQ(dir.Read("b"), "B");

  EXPECT_TRUE(CopyFileWithoutReplacing(dir.WinPath("a").c_str(), dir.WinPath("c").c_str()));
  EXPECT_EQ(dir.Read("c"), dir.Read("a"));
  EXPECT_EQ(fs::last_write_time(dir.Path("c")), fs::last_write_time(dir.Path("a")));
}

TEST(DeleteFileAt, RefusesDirectoriesMissingAndReadOnlyFiles) {
  TempDir dir;
  dir.Write("a", "A");
  dir.Write("r", "R");
  MakeReadOnly(dir.Path("r"));
  fs::create_directory(dir.Path("d"));
  EXPECT_FALSE(DeleteFileAt(dir.WinPath("d").c_str()));
  EXPECT_FALSE(DeleteFileAt(dir.WinPath("x").c_str()));
  EXPECT_FALSE(DeleteFileAt(dir.WinPath("r").c_str()));
  EXPECT_TRUE(dir.Exists("r"));
  EXPECT_TRUE(DeleteFileAt(dir.WinPath("a").c_str()));
  EXPECT_FALSE(dir.Exists("a"));

  EXPECT_TRUE(ClearReadOnly(dir.WinPath("r").c_str()));
  EXPECT_TRUE(DeleteFileAt(dir.WinPath("r").c_str()));
  EXPECT_FALSE(ClearReadOnly(dir.WinPath("r").c_str()));
}

TEST(WriteNewTextFile, WritesCrLfLinesIntoAFreshFile) {
  TempDir dir;
  dir.Write("s.inf", "stale text that is longer than the new one\r\n");
  EXPECT_TRUE(WriteNewTextFile(dir.WinPath("s.inf").c_str(), "[A]\nx\n\n"));
  EXPECT_EQ(dir.Read("s.inf"), "[A]\r\nx\r\n\r\n");

  EXPECT_FALSE(WriteNewTextFile(dir.WinPath("none\\s.inf").c_str(), "x\n"));
  fs::create_directory(dir.Path("d.inf"));
  EXPECT_FALSE(WriteNewTextFile(dir.WinPath("d.inf").c_str(), "x\n"));

  // An existing read-only file cannot be replaced, as with the runtime's own
  // streams; it stays as it was.
  dir.Write("r.inf", "kept");
  MakeReadOnly(dir.Path("r.inf"));
  EXPECT_FALSE(WriteNewTextFile(dir.WinPath("r.inf").c_str(), "x\n"));
  EXPECT_EQ(dir.Read("r.inf"), "kept");
  MakeWritable(dir.Path("r.inf"));
}

#ifndef _WIN32
TEST(WriteNewTextFile, NeverWritesThroughLinks) {
  TempDir dir;
  dir.Write("victim", "precious");
  ASSERT_EQ(symlink(dir.Path("victim").c_str(), dir.Path("sym.inf").c_str()), 0);
  ASSERT_EQ(link(dir.Path("victim").c_str(), dir.Path("hard.inf").c_str()), 0);
  ASSERT_EQ(symlink(dir.Path("missing").c_str(), dir.Path("dangling.inf").c_str()), 0);

  EXPECT_TRUE(WriteNewTextFile(dir.WinPath("sym.inf").c_str(), "a\n"));
  EXPECT_TRUE(WriteNewTextFile(dir.WinPath("hard.inf").c_str(), "b\n"));
  EXPECT_TRUE(WriteNewTextFile(dir.WinPath("dangling.inf").c_str(), "c\n"));
  EXPECT_EQ(dir.Read("victim"), "precious");
  EXPECT_FALSE(dir.Exists("missing"));
  EXPECT_FALSE(fs::is_symlink(dir.Path("sym.inf")));
  EXPECT_EQ(dir.Read("sym.inf"), "a\r\n");
  EXPECT_EQ(dir.Read("hard.inf"), "b\r\n");

  // Deleting a link removes the link only.
  ASSERT_EQ(symlink(dir.Path("victim").c_str(), dir.Path("sym2").c_str()), 0);
  EXPECT_TRUE(DeleteFileAt(dir.WinPath("sym2").c_str()));
  EXPECT_EQ(dir.Read("victim"), "precious");
}
#endif
