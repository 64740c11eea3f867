#include "platform/shell.h"

#include <cstring>

#include "platform/system.h"

namespace {

// The folder an environment variable names, as the shell hands folders out:
// without a trailing separator.
bool FolderFromEnvironment(const char* name, char* path, size_t size) {
  const char* folder = GetEnvironmentValue(name);
  if (folder == nullptr || *folder == '\0') return false;
  size_t length = std::strlen(folder);
  while (length > 1 && (folder[length - 1] == '/' || folder[length - 1] == '\\')) --length;
  if (length >= size) return false;
  std::memcpy(path, folder, length);
  path[length] = '\0';
  return true;
}

}  // namespace

bool GetCommonProgramsFolder(char* path, size_t size) {
  return FolderFromEnvironment("LAUNCHER_COMMON_PROGRAMS", path, size);
}

bool GetDefaultUserAppDataFolder(char* path, size_t size) {
  return FolderFromEnvironment("LAUNCHER_DEFAULT_USER_APPDATA", path, size);
}

bool GetProfilesFolder(char* path, size_t size) {
  return FolderFromEnvironment("LAUNCHER_PROFILES_DIRECTORY", path, size);
}
