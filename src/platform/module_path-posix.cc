#include "platform/module_path.h"

#include <unistd.h>

#include <cstring>
#include <string>

#include "platform/native_path.h"

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
