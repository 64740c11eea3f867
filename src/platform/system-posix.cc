#include "platform/system.h"

#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <list>
#include <string>

#include "platform/file_system.h"

unsigned long GetLauncherModulePath(char* buffer, unsigned long size) {
  if (size > 0) buffer[0] = '\0';
  char target[4096];
  ssize_t length = readlink("/proc/self/exe", target, sizeof(target) - 1);
  if (length <= 0) return 0;
  target[length] = '\0';
  std::string drivePath = DrivePathFromNative(target);
  if (drivePath.empty() || drivePath.size() >= size) return 0;
  std::memcpy(buffer, drivePath.c_str(), drivePath.size() + 1);
  return static_cast<unsigned long>(drivePath.size());
}

bool GetSystemDirectoryPath(std::string* path) {
  *path = "C:\\windows\\System32";
  return true;
}

bool QueryOsVersion(OsVersion* version) {
  version->platformId = kPlatformWin32Nt;
  version->majorVersion = 6;
  version->minorVersion = 1;
  return true;
}

void SleepMilliseconds(uint32_t milliseconds) {
  if (milliseconds == 0xFFFFFFFFu) {
    for (;;) pause();
  }
  timespec left = {static_cast<time_t>(milliseconds / 1000),
                   static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

const char* GetEnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || value[0] != '/') return value;
  // Kept for the process: callers hold the pointer, and values are few.
  static std::list<std::string> drivePaths;
  const std::string drive = DrivePathFromNative(value);
  for (const std::string& known : drivePaths) {
    if (known == drive) return known.c_str();
  }
  drivePaths.push_back(drive);
  return drivePaths.back().c_str();
}

void RestrictLibrarySearch() {}
