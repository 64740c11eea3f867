// The move, removal and listing functions the tree move is built on.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "platform/file_system.h"
#include "support/temp_dir.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace fs = std::filesystem;

namespace {

std::set<std::string> List(const std::string& pattern) {
  std::set<std::string> names;
  DirectoryListing listing;
  DirectoryEntry entry;
  if (!FindFirstEntry(pattern.c_str(), &listing, &entry)) return names;
  do names.insert(entry.name);
  while (FindNextEntry(&listing, &entry));
  CloseListing(&listing);
  return names;
}

TEST(DirectoryListing, StarDotStarListsEveryNameWithTheDotEntries) {
  TempDir dir;
  dir.Write("d/plain", "");
  dir.Write("d/with.ext", "");
  fs::create_directory(dir.Path("d/sub"));
  EXPECT_EQ(List(dir.WinPath("d") + "\\*.*"),
            (std::set<std::string>{".", "..", "plain", "with.ext", "sub"}));
  EXPECT_EQ(List(dir.WinPath("d") + "\\*.EXT"), (std::set<std::string>{"with.ext"}));
  DirectoryListing listing;
  DirectoryEntry entry;
  EXPECT_FALSE(FindFirstEntry((dir.WinPath("d/plain") + "\\*.*").c_str(), &listing, &entry));
  EXPECT_FALSE(FindFirstEntry((dir.WinPath("absent") + "\\*.*").c_str(), &listing, &entry));
}

TEST(MoveFileReplacing, ReplacesFilesButNeverADirectory) {
  TempDir dir;
  dir.Write("a", "new");
  dir.Write("b", "old");
  EXPECT_TRUE(MoveFileReplacing(dir.WinPath("a").c_str(), dir.WinPath("b").c_str()));
  EXPECT_EQ(dir.Read("b"), "new");
  EXPECT_FALSE(dir.Exists("a"));

  // A file never takes a directory's place, nor a directory anything's.
  // (Wine lets a directory replace a file; Windows does not.)
  fs::create_directory(dir.Path("emptyDir"));
  fs::create_directory(dir.Path("dir"));
  dir.Write("dir/inside", "x");
  EXPECT_FALSE(MoveFileReplacing(dir.WinPath("b").c_str(), dir.WinPath("emptyDir").c_str()));
  EXPECT_FALSE(MoveFileReplacing(dir.WinPath("dir").c_str(), dir.WinPath("emptyDir").c_str()));
#ifndef _WIN32
  EXPECT_FALSE(MoveFileReplacing(dir.WinPath("dir").c_str(), dir.WinPath("b").c_str()));
  EXPECT_EQ(dir.Read("b"), "new");
#endif
  EXPECT_EQ(dir.Read("dir/inside"), "x");

  // A directory moves whole to a free name.
  EXPECT_TRUE(MoveFileReplacing(dir.WinPath("dir").c_str(), dir.WinPath("moved").c_str()));
  EXPECT_EQ(dir.Read("moved/inside"), "x");
  EXPECT_FALSE(MoveFileReplacing(dir.WinPath("absent").c_str(), dir.WinPath("c").c_str()));
}

TEST(RemoveDirectoryAt, RemovesOnlyAnEmptyDirectory) {
  TempDir dir;
  dir.Write("full/x", "x");
  fs::create_directory(dir.Path("empty"));
  EXPECT_FALSE(RemoveDirectoryAt(dir.WinPath("full").c_str()));
  EXPECT_FALSE(RemoveDirectoryAt(dir.WinPath("full/x").c_str()));
  EXPECT_TRUE(RemoveDirectoryAt(dir.WinPath("empty").c_str()));
  EXPECT_FALSE(dir.Exists("empty"));
}

#ifndef _WIN32
TEST(MoveFileReplacing, LeavesAReadOnlyFileInPlace) {
  TempDir dir;
  dir.Write("a", "new");
  dir.Write("b", "old");
  chmod(dir.Path("b").c_str(), 0444);
  EXPECT_FALSE(MoveFileReplacing(dir.WinPath("a").c_str(), dir.WinPath("b").c_str()));
  EXPECT_EQ(dir.Read("b"), "old");
}

// Like a move between volumes on Windows, one between file systems fails
// rather than turning into a copy.
TEST(MoveFileReplacing, FailsAcrossFileSystems) {
  TempDir dir;
  struct stat here, shm;
  if (stat(dir.Path().c_str(), &here) != 0 || stat("/dev/shm", &shm) != 0 ||
      here.st_dev == shm.st_dev)
    GTEST_SKIP() << "no second file system at hand";
  dir.Write("a", "stays");
  std::string other = "/dev/shm/launcher-move-test-" + std::to_string(getpid());
  EXPECT_FALSE(MoveFileReplacing(dir.WinPath("a").c_str(), other.c_str()));
  EXPECT_EQ(dir.Read("a"), "stays");
  EXPECT_FALSE(fs::exists(other));
}
#endif

}  // namespace
