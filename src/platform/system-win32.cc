#include "platform/system.h"

#include <windows.h>

#include <cstdlib>

unsigned long GetLauncherModulePath(char* buffer, unsigned long size) {
  DWORD length = GetModuleFileNameA(nullptr, buffer, size);
  // A full buffer means the path was cut; a cut path names another file.
  if (length == 0 || length >= size) {
    if (size > 0) buffer[0] = '\0';
    return 0;
  }
  return length;
}

bool GetSystemDirectoryPath(std::string* path) {
  char buffer[MAX_PATH + 1];
  const UINT length = GetSystemDirectoryA(buffer, sizeof(buffer));
  if (length == 0 || length >= sizeof(buffer)) return false;
  path->assign(buffer, length);
  return true;
}

bool QueryOsVersion(OsVersion* version) {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof(info);  // 148 bytes
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&info)) return false;
#pragma GCC diagnostic pop
  version->platformId = info.dwPlatformId;
  version->majorVersion = info.dwMajorVersion;
  version->minorVersion = info.dwMinorVersion;
  return true;
}

void SleepMilliseconds(uint32_t milliseconds) { Sleep(milliseconds); }

const char* GetEnvironmentValue(const char* name) { return std::getenv(name); }
