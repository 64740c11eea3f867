#include "platform/single_instance.h"

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
static std::string MutexDirectory() {
  if (const char* dir = std::getenv("LAUNCHER_MUTEX_DIR")) {
    if (*dir != '\0') return dir;
  }
  return "/tmp/launcher-mutex-" + std::to_string(static_cast<unsigned>(getuid()));
}

// Every byte outside a small safe set is written as %XX, which keeps names
// distinct byte for byte (so case-sensitive) and free of '/'.
static std::string EncodeName(const char* name) {
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

NamedMutexResult CreateNamedMutex(const char* name) {
  std::string dir = MutexDirectory();
  if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return NamedMutexResult::kFailed;
  std::string path = dir + "/" + EncodeName(name);
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
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
