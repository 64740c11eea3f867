#include "platform/module_path.h"

#include <windows.h>

unsigned long GetLauncherModulePath(char* buffer, unsigned long size) {
  DWORD length = GetModuleFileNameA(nullptr, buffer, size);
  // A full buffer means the path was cut; a cut path names another file.
  if (length == 0 || length >= size) {
    if (size > 0) buffer[0] = '\0';
    return 0;
  }
  return length;
}
