#include "platform/private_directory.h"

#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_system-posix.h"

namespace {

constexpr uint32_t kAttempts = 64;

uint32_t Tick() {
  timespec now = {};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint32_t>(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

}  // namespace

bool CreatePrivateDirectory(const char* parent, PrivateDirectory* directory) {
  directory->handle = -1;
  const uint32_t processId = static_cast<uint32_t>(getpid());
  for (uint32_t attempt = 0; attempt < kAttempts; ++attempt) {
    directory->path = std::string(parent) + "\\" + PrivateDirectoryName(processId, Tick(), attempt);
    // mkdir never reuses a name, a link's included.
    if (mkdir(HostPath(directory->path.c_str()).c_str(), 0700) == 0) return true;
    if (errno != EEXIST) return false;
  }
  return false;
}

bool RemovePrivateDirectory(PrivateDirectory* directory) {
  return rmdir(HostPath(directory->path.c_str()).c_str()) == 0;
}
