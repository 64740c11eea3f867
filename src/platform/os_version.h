#ifndef LAUNCHER_PLATFORM_OS_VERSION_H
#define LAUNCHER_PLATFORM_OS_VERSION_H

#include <cstdint>

enum : uint32_t {
  kPlatformWin32s = 0,
  kPlatformWin32Windows = 1,  // the Windows 95 family
  kPlatformWin32Nt = 2,
};

struct OsVersion {
  uint32_t platformId;
  uint32_t majorVersion;
  uint32_t minorVersion;
};

// The running system's version as GetVersionExA reports it. False when the
// query fails. POSIX systems report themselves as an NT system that is not
// Windows XP (6.1, as Wine does by default).
bool QueryOsVersion(OsVersion* version);

#endif
