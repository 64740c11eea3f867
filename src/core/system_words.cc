#include "core/system_words.h"

#include <cstdio>

#include "platform/system_bits.h"

namespace {

std::string Dotted(const OsVersion& version, bool twoDigitMinor) {
  char text[32];
  std::snprintf(text, sizeof(text), twoDigitMinor ? "%lu.%02lu" : "%lu.%lu",
                static_cast<unsigned long>(version.majorVersion),
                static_cast<unsigned long>(version.minorVersion));
  return text;
}

}  // namespace

std::string DescribeWindowsVersion(const OsVersion* version) {
  if (version == nullptr) return "an unknown Windows version";
  const uint32_t major = version->majorVersion;
  const uint32_t minor = version->minorVersion;
  if (version->platformId == kPlatformWin32Windows) {
    const std::string number = Dotted(*version, minor != 0);
    if (major == 4 && minor == 0) return "Windows 95 (" + number + ")";
    if (major == 4 && minor == 10) return "Windows 98 (" + number + ")";
    if (major == 4 && minor == 90) return "Windows Me (" + number + ")";
    return "a Windows of the 95 family (" + number + ")";
  }
  if (version->platformId == kPlatformWin32Nt) {
    const std::string number = Dotted(*version, false);
    if (major == 5 && minor == 0) return "Windows 2000 (" + number + ")";
    if (major == 5 && minor == 1) return "Windows XP (" + number + ")";
    if (major == 5 && minor == 2) return "Windows Server 2003 or XP x64 (" + number + ")";
    return "Windows NT " + number;
  }
  return "Win32s (" + Dotted(*version, false) + ")";
}

std::string DescribeRunningSystem() {
  OsVersion version = {};
  const bool known = QueryOsVersion(&version);
  return DescribeWindowsVersion(known ? &version : nullptr) +
         (IsSystem64Bit() ? ", 64-bit" : ", 32-bit");
}
