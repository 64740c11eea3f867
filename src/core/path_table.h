// Everything the launcher finds relative to its own executable.
#ifndef LAUNCHER_CORE_PATH_TABLE_H
#define LAUNCHER_CORE_PATH_TABLE_H

#include <cstdint>

#include "core/path_buffer.h"
#include "platform/system.h"

// Platform kinds; only kWindowsXp changes anything (it picks the ".xp" and
// ".sxp" archives).
enum : int32_t {
  kPlatformKindWin32s = 0,
  kPlatformKindWindows95 = 1,
  kPlatformKindOldNt = 2,
  kPlatformKindWindows98 = 3,
  kPlatformKindWindowsMe = 4,
  kPlatformKindWindows2000 = 5,
  kPlatformKindWindowsXp = 6,
  kPlatformKindServer2003 = 7,
  kPlatformKindOther = 8,
};

struct PathTable {
  char exeDirectory[kPathBufferSize];
  char exeFileName[kPathBufferSize];
  char iniPath[kPathBufferSize];
  int32_t platformKind;
  char systemArchivePath[kPathBufferSize];
  char profileArchivePath[kPathBufferSize];
};

int32_t PlatformKindFromVersion(const OsVersion& version);

// Fills `table` (zeroed first) from the module path. `version` is null when
// the version query failed: the table then stops after `iniPath`, with
// platform kind 0 and no archive paths, and the result is 0. A path that
// would not fit its buffer stays empty.
int DeriveStartupPathsFrom(const char* modulePath, const OsVersion* version, PathTable* table);

// The same for the running executable on this system.
int DeriveStartupPaths(PathTable* table);

#endif
