#include "platform/shell.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstring>

bool GetCommonProgramsFolder(char* path, size_t size) {
  char folder[MAX_PATH + 1] = {};
  if (!SHGetSpecialFolderPathA(nullptr, folder, CSIDL_COMMON_PROGRAMS, FALSE)) return false;
  size_t length = std::strlen(folder);
  if (length >= size) return false;
  std::memcpy(path, folder, length + 1);
  return true;
}

bool RemoveFileSpec(char* path) { return PathRemoveFileSpecA(path) != 0; }
