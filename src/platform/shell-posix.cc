#include "platform/shell.h"

#include <cstring>

#include "platform/system.h"
#include "platform/text.h"

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

bool RemoveFileSpec(char* path) {
  if (path == nullptr) return false;
  char* cut = path;
  char* p = path;
  // A leading "\" (a rooted path) or "\\" (a UNC prefix) always stays.
  if (*p == '\\') cut = ++p;
  if (*p == '\\') cut = ++p;
  while (*p != '\0') {
    if (*p == '\\') {
      cut = p;
    } else if (*p == ':') {
      cut = ++p;  // after a drive ...
      if (*p == '\\') ++cut;  // ... and its root backslash
      if (*p == '\0') break;
    }
    if (IsAnsiLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0') {
      p += 2;
    } else {
      ++p;
    }
  }
  if (*cut == '\0') return false;
  *cut = '\0';
  return true;
}
