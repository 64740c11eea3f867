#include "platform/system.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

// A named mutex is an exclusive flock on a file named after the mutex. The
// kernel drops the lock when the process dies however it ends, so a crash
// leaves nothing stale behind; the file itself is harmless.
//
// The lock directory must be the user's own: in a directory that someone
// else can write to, they could hold a lock of the launcher's name for ever
// and so keep setup from ever starting.

namespace {

std::string EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// The directory, created when missing, opened without following a link, and
// only when it is a real directory owned by this user that nobody else may
// write to. -1 otherwise.
int OpenPrivateDirectory(const std::string& path) {
  if (path.empty()) return -1;
  if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return -1;
  const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != geteuid() ||
      (info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// The configured or shared directory first, then one under the user's
// runtime directory, which no other user can reach.
int OpenMutexDirectory() {
  std::string configured = EnvironmentValue("LAUNCHER_MUTEX_DIR");
  if (configured.empty())
    configured = "/tmp/launcher-mutex-" + std::to_string(static_cast<unsigned>(geteuid()));
  int fd = OpenPrivateDirectory(configured);
  if (fd < 0) {
    const std::string runtime = EnvironmentValue("XDG_RUNTIME_DIR");
    if (!runtime.empty() && runtime[0] == '/') fd = OpenPrivateDirectory(runtime + "/launcher-mutex");
  }
  return fd;
}

// Every byte outside a small safe set is written as %XX, which keeps names
// distinct byte for byte (so case-sensitive) and free of '/'.
std::string EncodeName(const char* name) {
  std::string encoded;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(name); *p; ++p) {
    bool safe = (*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z') ||
                (*p >= '0' && *p <= '9') || *p == '.' || *p == '_' || *p == '-';
    if (safe && !(encoded.empty() && *p == '.')) {
      encoded += static_cast<char>(*p);
    } else {
      char hex[4];
      std::snprintf(hex, sizeof(hex), "%%%02X", *p);
      encoded += hex;
    }
  }
  return encoded.empty() ? std::string("%") : encoded;
}

}  // namespace

NamedMutexResult CreateNamedMutex(const char* name) {
  const int dir = OpenMutexDirectory();
  if (dir < 0) return NamedMutexResult::kFailed;
  const int fd = openat(dir, EncodeName(name).c_str(),
                        O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  close(dir);
  if (fd < 0) return NamedMutexResult::kFailed;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    int error = errno;
    close(fd);
    return error == EWOULDBLOCK ? NamedMutexResult::kAlreadyExists
                                : NamedMutexResult::kFailed;
  }
  // `fd` stays open (close-on-exec, so the setup program does not inherit
  // the lock) until the process ends.
  return NamedMutexResult::kCreated;
}
