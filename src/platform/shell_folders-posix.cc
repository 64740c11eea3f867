#include "platform/shell.h"

#include <cstring>

#include "platform/system.h"

bool GetCommonProgramsFolder(char* path, size_t size) {
  const char* folder = GetEnvironmentValue("LAUNCHER_COMMON_PROGRAMS");
  if (folder == nullptr || *folder == '\0') return false;
  size_t length = std::strlen(folder);
  // The shell hands out folders without a trailing separator.
  while (length > 1 && (folder[length - 1] == '/' || folder[length - 1] == '\\')) --length;
  if (length >= size) return false;
  std::memcpy(path, folder, length);
  path[length] = '\0';
  return true;
}
