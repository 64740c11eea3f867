#include "housekeeping/start_menu.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/fixed_names.h"
#include "platform/file_system.h"
#include "support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

// Gives a directory an attribute besides the directory one: read-only (on
// POSIX systems the only one there is), and hidden where it can be stored.
void MakeReadOnlyDirectory(const std::string& path) {
#ifdef _WIN32
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
#else
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                            fs::perms::group_exec | fs::perms::others_read |
                            fs::perms::others_exec);
#endif
}

bool IsDirectory(const std::string& path) {
  std::error_code error;
  return fs::is_directory(path, error);
}

bool IsEmptyDirectory(const std::string& path) {
  std::error_code error;
  return fs::is_directory(path, error) && fs::is_empty(path, error);
}

class MoveTree : public ::testing::Test {
 protected:
  int Move(const std::string& source, const std::string& destination) {
    return MoveDirectoryTree(dir.WinPath(source).c_str(), dir.WinPath(destination).c_str());
  }
  TempDir dir;
};

TEST_F(MoveTree, FilesGoIntoANewDestinationAndTheSourceIsLeftEmpty) {
  dir.Write("src/a.txt", "alpha");
  dir.Write("src/noext", "beta");
  EXPECT_EQ(Move("src", "out/deep/dest"), 1);
  EXPECT_EQ(dir.Read("out/deep/dest/a.txt"), "alpha");
  EXPECT_EQ(dir.Read("out/deep/dest/noext"), "beta");
  EXPECT_TRUE(IsEmptyDirectory(dir.Path("src")));
}

TEST_F(MoveTree, PlainSubdirectoriesAreWalkedAndLeftBehindEmpty) {
  dir.Write("src/sub/inner/x.lnk", "x");
  dir.Write("src/sub/y.lnk", "y");
  EXPECT_EQ(Move("src", "dest"), 1);
  EXPECT_EQ(dir.Read("dest/sub/inner/x.lnk"), "x");
  EXPECT_EQ(dir.Read("dest/sub/y.lnk"), "y");
  EXPECT_TRUE(IsEmptyDirectory(dir.Path("src/sub/inner")));
  EXPECT_FALSE(dir.Exists("src/sub/y.lnk"));
}

TEST_F(MoveTree, ADirectoryWithFurtherAttributesMovesWhole) {
  dir.Write("src/locked/z.lnk", "z");
  MakeReadOnlyDirectory(dir.Path("src/locked"));
  if (GetPathAttributes(dir.WinPath("src/locked").c_str()) == kAttributeDirectory)
    GTEST_SKIP() << "this file system keeps no further directory attributes";
  EXPECT_EQ(Move("src", "dest"), 1);
  EXPECT_EQ(dir.Read("dest/locked/z.lnk"), "z");
  EXPECT_FALSE(dir.Exists("src/locked"));
  EXPECT_TRUE(IsEmptyDirectory(dir.Path("src")));
}

TEST_F(MoveTree, FilesAtTheDestinationAreReplacedButDirectoriesStopTheWalk) {
  dir.Write("src/a.txt", "new");
  dir.Write("dest/a.txt", "old");
  EXPECT_EQ(Move("src", "dest"), 1);
  EXPECT_EQ(dir.Read("dest/a.txt"), "new");

  dir.Write("src2/b.txt", "file");
  dir.Write("dest2/b.txt/keep", "kept");
  EXPECT_EQ(Move("src2", "dest2"), 0);
  EXPECT_EQ(dir.Read("src2/b.txt"), "file");
  EXPECT_EQ(dir.Read("dest2/b.txt/keep"), "kept");
}

TEST_F(MoveTree, AnEmptySourceCreatesTheDestinationOnly) {
  fs::create_directory(dir.Path("src"));
  EXPECT_EQ(Move("src", "dest"), 1);
  EXPECT_TRUE(IsEmptyDirectory(dir.Path("dest")));
}

TEST_F(MoveTree, ASourceThatIsNoDirectoryFailsAfterCreatingTheDestination) {
  dir.Write("src", "a file");
  EXPECT_EQ(Move("src", "dest"), 0);
  EXPECT_EQ(dir.Read("src"), "a file");
  EXPECT_TRUE(IsEmptyDirectory(dir.Path("dest")));
  EXPECT_EQ(Move("absent", "dest2"), 0);
  EXPECT_TRUE(IsDirectory(dir.Path("dest2")));
}

TEST_F(MoveTree, ADestinationWithoutAnyComponentMovesNothing) {
  dir.Write("src/a.txt", "a");
  for (const char* destination : {"", "\\", "\\\\\\"})
    EXPECT_EQ(MoveDirectoryTree(dir.WinPath("src").c_str(), destination), 0);
  EXPECT_EQ(dir.Read("src/a.txt"), "a");
}

TEST_F(MoveTree, TooLongEntryPathsFailTheWalkRatherThanBeingCut) {
  std::string name(120, 'n');
  dir.Write("src/" + name, "long");
  std::string deep = "dest/" + std::string(150, 'd');
  EXPECT_EQ(Move("src", deep), 0);
  EXPECT_EQ(dir.Read("src/" + name), "long");
}

#ifndef _WIN32
// A rooted path without a drive is created where it points, not below the
// current directory.
TEST_F(MoveTree, ARootedDestinationIsNotTakenAsRelative) {
  dir.Write("src/a.txt", "a");
  std::string rooted = dir.WinPath("made/dest").substr(2);  // "\tmp\...": no "Z:"
  ASSERT_EQ(rooted[0], '\\');
  fs::path before = fs::current_path();
  fs::current_path(dir.Path());
  EXPECT_EQ(MoveDirectoryTree(dir.WinPath("src").c_str(), rooted.c_str()), 1);
  fs::current_path(before);
  EXPECT_EQ(dir.Read("made/dest/a.txt"), "a");
}

// The step itself, with drive C: and the all-users programs folder set up
// below a scratch directory.
class Relocate : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir.Path("c"));
    fs::create_directories(dir.Path("programs"));
    setenv("LAUNCHER_DRIVE_C", dir.Path("c").c_str(), 1);
    setenv("LAUNCHER_COMMON_PROGRAMS", dir.Path("programs").c_str(), 1);
  }
  void TearDown() override {
    unsetenv("LAUNCHER_DRIVE_C");
    unsetenv("LAUNCHER_COMMON_PROGRAMS");
  }
  static std::string Source(const std::string& below = "") {
    return "c/Tessik Halvern Wireless" + (below.empty() ? "" : "/" + below);
  }
  static std::string Target(const std::string& below = "") {
    return "programs/Tessik Halvern Wireless" + (below.empty() ? "" : "/" + below);
  }
  TempDir dir;
};

TEST_F(Relocate, MovesTheFolderAndRemovesTheEmptiedSource) {
  dir.Write(Source("Tool.lnk"), "tool");
  dir.Write(Source("Help.lnk"), "help");
  RelocateStartMenuFolder(kStartMenuSourceFolder, kStartMenuFolderName);
  EXPECT_EQ(dir.Read(Target("Tool.lnk")), "tool");
  EXPECT_EQ(dir.Read(Target("Help.lnk")), "help");
  EXPECT_FALSE(dir.Exists(Source()));
}

TEST_F(Relocate, ASubdirectoryKeepsTheSourceFolder) {
  dir.Write(Source("Extras/Guide.lnk"), "guide");
  RelocateStartMenuFolder(kStartMenuSourceFolder, kStartMenuFolderName);
  EXPECT_EQ(dir.Read(Target("Extras/Guide.lnk")), "guide");
  EXPECT_TRUE(IsEmptyDirectory(dir.Path(Source("Extras"))));
}

TEST_F(Relocate, DoesNothingWithoutASourceOrWithATargetAlreadyThere) {
  RelocateStartMenuFolder(kStartMenuSourceFolder, kStartMenuFolderName);
  EXPECT_TRUE(IsEmptyDirectory(dir.Path("programs")));

  dir.Write(Source("Tool.lnk"), "tool");
  dir.Write(Target(), "a file in the way");
  RelocateStartMenuFolder(kStartMenuSourceFolder, kStartMenuFolderName);
  EXPECT_EQ(dir.Read(Source("Tool.lnk")), "tool");
  EXPECT_EQ(dir.Read(Target()), "a file in the way");

  // Without an all-users programs folder there is nowhere to go.
  fs::remove(dir.Path(Target()));
  unsetenv("LAUNCHER_COMMON_PROGRAMS");
  RelocateStartMenuFolder(kStartMenuSourceFolder, kStartMenuFolderName);
  EXPECT_EQ(dir.Read(Source("Tool.lnk")), "tool");
  EXPECT_TRUE(IsEmptyDirectory(dir.Path("programs")));
}

// Anyone may create the source folder on drive C: only what an
// administrator made is moved, and never through a link.
TEST_F(Relocate, ASourceOfAnotherUserOrALinkIsNotMoved) {
  fs::create_directories(dir.Path("elsewhere"));
  dir.Write("elsewhere/Tool.lnk", "tool");
  fs::create_directory_symlink(dir.Path("elsewhere"), dir.Path(Source()));
  StartMenuOutcome outcome = RelocateStartMenuFolder(kStartMenuSourceFolder, kStartMenuFolderName);
  EXPECT_EQ(outcome.plan.block, RelocationBlock::kSourceIsLink);
  EXPECT_EQ(dir.Read("elsewhere/Tool.lnk"), "tool");

  if (geteuid() != 0) GTEST_SKIP() << "only root can give the folder to another user";
  fs::remove(dir.Path(Source()));
  dir.Write(Source("Tool.lnk"), "tool");
  ASSERT_EQ(chown(dir.Path(Source()).c_str(), 65534, 65534), 0);
  outcome = RelocateStartMenuFolder(kStartMenuSourceFolder, kStartMenuFolderName);
  EXPECT_EQ(outcome.plan.block, RelocationBlock::kSourceNotAdministrators);
  EXPECT_EQ(dir.Read(Source("Tool.lnk")), "tool");
  EXPECT_TRUE(IsEmptyDirectory(dir.Path("programs")));
}

TEST_F(Relocate, LinksInsideAreNeitherFollowedNorMoved) {
  dir.Write("elsewhere/Secret.lnk", "secret");
  dir.Write(Source("Tool.lnk"), "tool");
  fs::create_directory_symlink(dir.Path("elsewhere"), dir.Path(Source("Extras")));
  const StartMenuOutcome outcome = RelocateStartMenuFolder(kStartMenuSourceFolder, kStartMenuFolderName);
  EXPECT_TRUE(outcome.moved);
  EXPECT_EQ(outcome.linksLeft, (std::vector<std::string>{"c:\\Tessik Halvern Wireless\\Extras"}));
  EXPECT_EQ(dir.Read(Target("Tool.lnk")), "tool");
  EXPECT_FALSE(fs::exists(fs::symlink_status(dir.Path(Target("Extras")))));
  EXPECT_TRUE(fs::is_symlink(dir.Path(Source("Extras"))));
  EXPECT_EQ(dir.Read("elsewhere/Secret.lnk"), "secret");
}
#endif

}  // namespace
