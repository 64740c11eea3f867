#include "platform/environment.h"

#include <cstdlib>
#include <list>
#include <string>

#include "platform/native_path.h"

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
