// The file-system functions with the results Windows gives: the Windows
// build checks the system's own calls (under Wine), the POSIX build ours.
#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>

#include "support/temp_dir.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

void MakeReadOnly(const std::string& path) {
  fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
}

void MakeWritable(const std::string& path) {
  fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
}

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

TEST(RemoveDirectoryAt, RemovesOnlyAnEmptyDirectory) {
  TempDir dir;
  dir.Write("full/x", "x");
  fs::create_directory(dir.Path("empty"));
  EXPECT_FALSE(RemoveDirectoryAt(dir.WinPath("full").c_str()));
  EXPECT_FALSE(RemoveDirectoryAt(dir.WinPath("full/x").c_str()));
  EXPECT_TRUE(RemoveDirectoryAt(dir.WinPath("empty").c_str()));
  EXPECT_FALSE(dir.Exists("empty"));
}

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

TEST(ReadWholeFile, GivesEveryByteOrLeavesTheStringAlone) {
  TempDir dir;
  const std::string bytes = std::string("a\r\n\0b", 5) + std::string(10000, 'x');
  dir.Write("f", bytes);
  std::string contents = "old";
  EXPECT_TRUE(ReadWholeFile(dir.WinPath("f").c_str(), &contents));
  EXPECT_EQ(contents, bytes);
  dir.Write("empty", "");
  EXPECT_TRUE(ReadWholeFile(dir.WinPath("empty").c_str(), &contents));
  EXPECT_EQ(contents, "");

  contents = "old";
  EXPECT_FALSE(ReadWholeFile(dir.WinPath("missing").c_str(), &contents));
  fs::create_directory(dir.Path("d"));
  EXPECT_FALSE(ReadWholeFile(dir.WinPath("d").c_str(), &contents));
  EXPECT_EQ(contents, "old");
}

}  // namespace

// Written in pieces across several writeback windows (8 MiB), every byte
// lands where it belongs.
TEST(OutputFile, ALargeFileWrittenInPiecesReadsBackWhole) {
  TempDir dir;
  std::string data(20u << 20, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>((i * 131) >> 7);
  OutputFile file;
  ASSERT_TRUE(CreateNewOutputFile(dir.WinPath("big").c_str(), &file));
  for (size_t at = 0; at < data.size(); at += 300000)
    ASSERT_TRUE(WriteOutputFile(&file, data.data() + at, std::min<size_t>(300000, data.size() - at)));
  EXPECT_TRUE(FlushOutputFile(&file));
  EXPECT_TRUE(CloseOutputFile(&file));
  std::string contents;
  ASSERT_TRUE(ReadWholeFile(dir.WinPath("big").c_str(), &contents));
  EXPECT_TRUE(contents == data);
}

// Flushed as a group, each file answers for itself: one that cannot be
// flushed fails alone.
TEST(OutputFile, AGroupFlushesEachFileAndFailsOnlyTheBrokenOne) {
  TempDir dir;
  OutputFile files[3];
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(CreateNewOutputFile(dir.WinPath("f" + std::to_string(i)).c_str(), &files[i]));
    ASSERT_TRUE(WriteOutputFile(&files[i], "data", 4));
  }
  OutputFile broken = files[1];
  ASSERT_TRUE(CloseOutputFile(&broken));
  OutputFile* group[3] = {&files[0], &files[1], &files[2]};
  bool flushed[3] = {};
  FlushOutputFiles(group, 3, flushed);
  EXPECT_TRUE(flushed[0]);
  EXPECT_FALSE(flushed[1]);
  EXPECT_TRUE(flushed[2]);
  EXPECT_TRUE(CloseOutputFile(&files[0]));
  EXPECT_TRUE(CloseOutputFile(&files[2]));
}

#ifndef _WIN32
// Small writes are gathered before they reach the system: bytes that then
// cannot be written fail the file's flush and close, never pass as written.
TEST(OutputFile, GatheredBytesThatCannotBeWrittenFailTheFlushAndTheClose) {
  OutputFile full;
  full.handle = open("/dev/full", O_WRONLY | O_CLOEXEC);
  ASSERT_GE(full.handle, 0);
  full.gathers = true;
  EXPECT_TRUE(WriteOutputFile(&full, "data", 4));  // only gathered so far
  EXPECT_FALSE(FlushOutputFile(&full));
  EXPECT_FALSE(WriteOutputFile(&full, "more", 4));
  EXPECT_FALSE(CloseOutputFile(&full));
}
#endif
