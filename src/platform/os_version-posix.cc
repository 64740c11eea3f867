#include "platform/os_version.h"

bool QueryOsVersion(OsVersion* version) {
  version->platformId = kPlatformWin32Nt;
  version->majorVersion = 6;
  version->minorVersion = 1;
  return true;
}
