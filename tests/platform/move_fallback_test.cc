// The move that replaces a file, where the system has only a stub of
// MoveFileExA (the Windows 95 family): made of MoveFileA, DeleteFileA and
// GetFileAttributesA, over an in-memory file system.
#include "platform/move_fallback.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "platform/file_system.h"

namespace {

struct Entry {
  std::string data;
  uint32_t attributes;
};

struct FakeSystem {
  std::map<std::string, Entry> files;
  bool stubbed = true;
  std::string failMoveFrom;  // a MoveFileA of this name fails

  MoveCalls Calls() {
    return {this,
            [](void* self, const char* from, const char* to, bool* notImplemented) {
              auto& fs = *static_cast<FakeSystem*>(self);
              if (fs.stubbed) {
                *notImplemented = true;
                return false;
              }
              if (!fs.files.count(from)) return false;
              fs.files[to] = fs.files[from];
              fs.files.erase(from);
              return true;
            },
            [](void* self, const char* from, const char* to) {
              auto& fs = *static_cast<FakeSystem*>(self);
              if (!fs.files.count(from) || fs.files.count(to) || fs.failMoveFrom == from) return false;
              fs.files[to] = fs.files[from];
              fs.files.erase(from);
              return true;
            },
            [](void* self, const char* path) {
              return static_cast<FakeSystem*>(self)->files.erase(path) == 1;
            },
            [](void* self, const char* path) {
              auto& fs = *static_cast<FakeSystem*>(self);
              auto it = fs.files.find(path);
              return it == fs.files.end() ? kInvalidFileAttributes : it->second.attributes;
            }};
  }
};

const char kTemp[] = "C:\\w\\~000001.tmp";
const char kTarget[] = "C:\\w\\a.txt";

TEST(MoveFallback, ReplacesAFileThroughThePlainCallsWhenTheMoveIsAStub) {
  FakeSystem fs;
  fs.files[kTemp] = {"new", kAttributeArchive};
  fs.files[kTarget] = {"old", kAttributeArchive};
  fs.files[std::string(kTarget) + ".~0"] = {"unrelated", kAttributeArchive};
  EXPECT_TRUE(MoveReplacingWith(fs.Calls(), kTemp, kTarget));
  EXPECT_EQ(fs.files[kTarget].data, "new");
  EXPECT_EQ(fs.files[std::string(kTarget) + ".~0"].data, "unrelated");  // never taken over
  EXPECT_EQ(fs.files.size(), 2u);  // the moved-aside old file is gone

  // With no target, a plain move; directories move too.
  fs.files["C:\\w\\dir"] = {"", kAttributeDirectory};
  EXPECT_TRUE(MoveReplacingWith(fs.Calls(), "C:\\w\\dir", "C:\\w\\moved"));
  EXPECT_TRUE(fs.files.count("C:\\w\\moved"));
}

TEST(MoveFallback, KeepsTheTargetWhenItCannotBeReplaced) {
  FakeSystem fs;
  fs.files[kTemp] = {"new", kAttributeArchive};
  fs.files[kTarget] = {"old", kAttributeArchive | kAttributeReadOnly};
  fs.files["C:\\w\\dir"] = {"", kAttributeDirectory};
  EXPECT_FALSE(MoveReplacingWith(fs.Calls(), kTemp, kTarget));  // read-only
  EXPECT_FALSE(MoveReplacingWith(fs.Calls(), kTemp, "C:\\w\\dir"));  // a directory
  EXPECT_FALSE(MoveReplacingWith(fs.Calls(), "C:\\w\\dir", kTarget));  // a directory onto a file

  // The second move fails: the old file is put back under its name.
  fs.files[kTarget].attributes = kAttributeArchive;
  fs.failMoveFrom = kTemp;
  EXPECT_FALSE(MoveReplacingWith(fs.Calls(), kTemp, kTarget));
  EXPECT_EQ(fs.files[kTarget].data, "old");
  EXPECT_EQ(fs.files[kTemp].data, "new");
  EXPECT_EQ(fs.files.size(), 3u);
}

TEST(MoveFallback, UsesOnlyTheRealMoveWhereItExists) {
  FakeSystem fs;
  fs.stubbed = false;
  fs.files[kTemp] = {"new", kAttributeArchive};
  EXPECT_TRUE(MoveReplacingWith(fs.Calls(), kTemp, kTarget));
  // Any other failure of the real call is final: no second attempt.
  fs.files[kTemp] = {"again", kAttributeArchive};
  EXPECT_FALSE(MoveReplacingWith(fs.Calls(), "C:\\w\\missing", kTarget));
  EXPECT_EQ(fs.files[kTarget].data, "new");
}

}  // namespace
