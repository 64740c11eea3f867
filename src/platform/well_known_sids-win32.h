// Windows only: the two accounts that stand for "an administrator made it",
// in the documented binary form of a SID, so that none has to be allocated
// and freed through the security library (which the launcher looks up
// rather than imports).
#ifndef LAUNCHER_PLATFORM_WELL_KNOWN_SIDS_WIN32_H
#define LAUNCHER_PLATFORM_WELL_KNOWN_SIDS_WIN32_H

#include <windows.h>

#include <cstddef>
#include <cstring>

struct WellKnownSid {
  BYTE revision;
  BYTE subAuthorityCount;
  BYTE authority[6];
  DWORD subAuthority[2];
};

// BUILTIN\Administrators (S-1-5-32-544) and LocalSystem (S-1-5-18). Not
// const: the security calls take them as plain SID pointers.
inline WellKnownSid kAdministratorsSid = {1, 2, {0, 0, 0, 0, 0, 5}, {32, 544}};
inline WellKnownSid kLocalSystemSid = {1, 1, {0, 0, 0, 0, 0, 5}, {18, 0}};

// A SID's length from its own header: revision, count, the 6-byte
// authority, then the sub-authorities.
inline size_t SidLength(const void* sid) {
  return 8 + 4 * static_cast<size_t>(static_cast<const unsigned char*>(sid)[1]);
}

inline bool SameSid(const void* a, const void* b) {
  return SidLength(a) == SidLength(b) && std::memcmp(a, b, SidLength(a)) == 0;
}

#endif
