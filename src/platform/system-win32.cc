#include "platform/system.h"

#include <windows.h>

#include <cstdlib>

#include "platform/library_entry.h"
#include "platform/system_library.h"

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

bool IsSystem64Bit() {
  if (sizeof(void*) == 8) return true;
  // Looked up: Windows before XP SP2 lacks it, and is 32-bit all the same.
  using IsWow64ProcessEntry = BOOL(WINAPI*)(HANDLE, PBOOL);
  HMODULE kernel = LoadSystemLibrary("kernel32.dll");
  if (kernel == nullptr) return false;
  const auto isWow64 = LookUp<IsWow64ProcessEntry>(kernel, "IsWow64Process");
  BOOL wow64 = FALSE;
  const bool on64 = isWow64 != nullptr && isWow64(GetCurrentProcess(), &wow64) && wow64;
  FreeLibrary(kernel);
  return on64;
}

void SleepMilliseconds(uint32_t milliseconds) { Sleep(milliseconds); }

const char* GetEnvironmentValue(const char* name) { return std::getenv(name); }
