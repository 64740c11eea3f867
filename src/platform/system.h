// The running system: the launcher's own module path, the system's version,
// pausing, a named mutex that keeps the launcher to one instance, and the
// environment.
#ifndef LAUNCHER_PLATFORM_SYSTEM_H
#define LAUNCHER_PLATFORM_SYSTEM_H

#include <cstdint>
#include <string>

// --- Module path -------------------------------------------------------------

// GetModuleFileNameA for the executable: its full path in drive form
// (D:\dir\Setup.exe), zero-terminated in `buffer`. Returns its length, or 0
// when the path cannot be had or does not fit `size` bytes with its terminator.
unsigned long GetLauncherModulePath(char* buffer, unsigned long size);

// --- System directory ------------------------------------------------------

// GetSystemDirectoryA: where the system's own programs and libraries are,
// which the launcher takes from nowhere else (not from SystemRoot, which
// whoever starts the launcher may set). False when it cannot be had or is
// longer than 260 characters. On POSIX systems it is C:\windows\System32,
// so that a test or the demo can put stand-ins there through
// LAUNCHER_DRIVE_C.
bool GetSystemDirectoryPath(std::string* path);

// --- Version -----------------------------------------------------------------

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

// --- Sleep -------------------------------------------------------------------

// Sleep: pauses the launcher; 0xFFFFFFFF pauses for good, as Windows' INFINITE.
void SleepMilliseconds(uint32_t milliseconds);

// --- Named mutex -------------------------------------------------------------

enum class NamedMutexResult { kCreated, kAlreadyExists, kFailed };

// CreateMutexA (then GetLastError): creates or opens the named mutex `name`,
// not owned, and keeps it until the process ends. Names are case-sensitive, as
// Windows object names are.
NamedMutexResult CreateNamedMutex(const char* name);

// --- Library search ----------------------------------------------------------

// Drops the application's directory and the current directory from the
// places the loader searches for libraries loaded later, as far as the
// running system allows: only the system directory where
// SetDefaultDllDirectories exists (Windows 8, and Vista and 7 with
// KB2533623), else the current directory goes (SetDllDirectoryA(""), XP SP1
// and later); both are looked up, never imported. Every program we ship calls
// it first: they run with administrator rights from folders anyone may write
// to. Nothing to do on POSIX systems.
void RestrictLibrarySearch();

// --- Environment -------------------------------------------------------------

// A variable of the launcher's own environment as the runtime sees it (getenv),
// or null when it is not set. On POSIX systems a value that starts with "/" is
// a host path and comes back in drive form ("/srv/x" -> "Z:\srv\x"), so that
// the logic finds its backslashes; the pointer stays valid for the process.
const char* GetEnvironmentValue(const char* name);

#endif
