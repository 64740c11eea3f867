#include "core/path_table.h"

#include <cstring>
#include <string>

#include "platform/system.h"
#include "platform/text.h"

namespace {

// The module path with its extension replaced by `extension`. The last dot
// of the whole path counts, even one in a directory name.
void ReplaceExtension(const char* modulePath, const char* extension, char* out) {
  const char* dot = FindLastAnsiChar(modulePath, '.');
  std::string path(modulePath, dot != nullptr ? dot - modulePath : std::strlen(modulePath));
  path += extension;
  CopyWhole(out, kPathBufferSize, path.c_str());
}

}  // namespace

int32_t PlatformKindFromVersion(const OsVersion& version) {
  switch (version.platformId) {
    case kPlatformWin32s:
      return kPlatformKindWin32s;
    case kPlatformWin32Windows:
      switch (version.minorVersion) {
        case 0: return kPlatformKindWindows95;
        case 10: return kPlatformKindWindows98;
        case 90: return kPlatformKindWindowsMe;
        default: return kPlatformKindOther;
      }
    case kPlatformWin32Nt:
      if (version.majorVersion == 5) {
        switch (version.minorVersion) {
          case 0: return kPlatformKindWindows2000;
          case 1: return kPlatformKindWindowsXp;
          case 2: return kPlatformKindServer2003;
          default: return kPlatformKindOther;
        }
      }
      return version.majorVersion <= 4 ? kPlatformKindOldNt : kPlatformKindOther;
    default:
      return kPlatformKindOther;
  }
}

int DeriveStartupPathsFrom(const char* modulePath, const OsVersion* version, PathTable* table) {
  std::memset(table, 0, sizeof(*table));
  if (std::strlen(modulePath) >= kPathBufferSize) modulePath = "";

  const char* slash = FindLastAnsiChar(modulePath, '\\');
  if (slash != nullptr) {
    std::string directory(modulePath, slash - modulePath);
    CopyWhole(table->exeDirectory, kPathBufferSize, directory.c_str());
    CopyWhole(table->exeFileName, kPathBufferSize, slash + 1);
  } else {
    CopyWhole(table->exeDirectory, kPathBufferSize, modulePath);
    CopyWhole(table->exeFileName, kPathBufferSize, modulePath);
  }
  ReplaceExtension(modulePath, ".ini", table->iniPath);

  if (version == nullptr) return 0;
  table->platformKind = PlatformKindFromVersion(*version);
  bool xp = table->platformKind == kPlatformKindWindowsXp;
  ReplaceExtension(modulePath, xp ? ".xp" : ".2k", table->systemArchivePath);
  ReplaceExtension(modulePath, xp ? ".sxp" : ".s2k", table->profileArchivePath);
  return 1;
}

int DeriveStartupPaths(PathTable* table) {
  char modulePath[kPathBufferSize];
  if (GetLauncherModulePath(modulePath, sizeof(modulePath)) == 0) modulePath[0] = '\0';
  OsVersion version;
  bool haveVersion = QueryOsVersion(&version);
  return DeriveStartupPathsFrom(modulePath, haveVersion ? &version : nullptr, table);
}
