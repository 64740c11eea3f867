// The POSIX lock directory: only a real directory of the user's own that
// nobody else can write to is trusted; otherwise a private one is used.
#ifndef _WIN32
#include "platform/system.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace {

// Sets the two directories the mutex may use for the length of one test.
class MutexDirectories {
 public:
  MutexDirectories(const std::string& configured, const std::string& runtime) {
    setenv("LAUNCHER_MUTEX_DIR", configured.c_str(), 1);
    if (runtime.empty()) unsetenv("XDG_RUNTIME_DIR");
    else setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  }
  ~MutexDirectories() {
    unsetenv("LAUNCHER_MUTEX_DIR");
    unsetenv("XDG_RUNTIME_DIR");
  }
};

// Another party holding the lock of `name` in `dir`, as a planted file would.
int HoldLock(const std::string& dir, const std::string& name) {
  int fd = open((dir + "/" + name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  EXPECT_GE(fd, 0);
  EXPECT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
  return fd;
}

}  // namespace

TEST(NamedMutex, AnOwnPrivateDirectoryIsUsed) {
  TempDir dir;
  const std::string locks = dir.Path("locks");
  MutexDirectories env(locks, "");
  EXPECT_EQ(CreateNamedMutex("Setup.exe"), NamedMutexResult::kCreated);
  struct stat info;
  ASSERT_EQ(stat(locks.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  EXPECT_EQ(CreateNamedMutex("Setup.exe"), NamedMutexResult::kAlreadyExists);
  EXPECT_EQ(CreateNamedMutex("setup.exe"), NamedMutexResult::kCreated);
}

TEST(NamedMutex, UntrustedDirectoriesAreNotUsed) {
  TempDir dir;
  mkdir(dir.Path("runtime").c_str(), 0700);
  mkdir(dir.Path("private").c_str(), 0700);
  const int planted = HoldLock(dir.Path("private"), "Link.exe");
  // Open to everyone, with a lock held in it.
  mkdir(dir.Path("open").c_str(), 0700);
  chmod(dir.Path("open").c_str(), 0777);
  const int held = HoldLock(dir.Path("open"), "Open.exe");
  // A link is not followed, even to a directory of the user's own.
  symlink(dir.Path("private").c_str(), dir.Path("link").c_str());
  std::vector<std::array<std::string, 2>> cases = {{dir.Path("open"), "Open.exe"},
                                                   {dir.Path("link"), "Link.exe"}};
  if (geteuid() == 0) {
    // Owned by another user.
    mkdir(dir.Path("foreign").c_str(), 0700);
    ASSERT_EQ(chown(dir.Path("foreign").c_str(), 65534, 65534), 0);
    cases.push_back({dir.Path("foreign"), "Foreign.exe"});
  }
  for (const auto& c : cases) {
    {
      MutexDirectories env(c[0], dir.Path("runtime"));
      EXPECT_EQ(CreateNamedMutex(c[1].c_str()), NamedMutexResult::kCreated) << c[0];
      EXPECT_EQ(CreateNamedMutex(c[1].c_str()), NamedMutexResult::kAlreadyExists) << c[0];
    }
    // With no private directory either, there is no mutex; the run goes on.
    MutexDirectories env(c[0], "");
    EXPECT_EQ(CreateNamedMutex(c[1].c_str()), NamedMutexResult::kFailed) << c[0];
  }
  struct stat info;
  EXPECT_EQ(stat(dir.Path("runtime/launcher-mutex/Open.exe").c_str(), &info), 0);
  close(planted);
  close(held);
}
#endif
