// A directory of the launcher's own inside a folder that others may write
// to (TEMP): made fresh under an unpredictable name, writable by
// administrators and the system only, and held open so that it cannot be
// renamed or replaced while the launcher uses it.
#ifndef LAUNCHER_PLATFORM_PRIVATE_DIRECTORY_H
#define LAUNCHER_PLATFORM_PRIVATE_DIRECTORY_H

#include <cstddef>
#include <cstdint>
#include <string>

// The length of every name CreatePrivateDirectory picks ("~reg" and eight
// hexadecimal digits), so that a caller can tell beforehand whether the
// paths it will form fit.
constexpr size_t kPrivateDirectoryNameLength = 12;

struct PrivateDirectory {
  std::string path;      // "<parent>\~regXXXXXXXX"
  intptr_t handle = -1;  // Windows: the directory held open; unused elsewhere
};

// The name of attempt `attempt` for a process and a moment: the same inputs
// give the same name, and the result is always kPrivateDirectoryNameLength
// characters long.
std::string PrivateDirectoryName(uint32_t processId, uint32_t tick, uint32_t attempt);

// Makes a new directory in `parent` (joined with one backslash). A name that
// is taken, by whatever, is never used: another one is tried. On the NT
// family only BUILTIN\Administrators and LocalSystem get any access to it,
// inherited by what is made in it, and nothing of the parent's rights is
// inherited (where the system knows that protection, 2000 on); on the
// Windows 95 family, which has no rights, it is a plain new directory. On
// POSIX systems: mkdir with mode 0700. False, with nothing made, when no
// directory could be made.
bool CreatePrivateDirectory(const char* parent, PrivateDirectory* directory);

// Lets go of the directory and removes it; false when it could not be
// removed (it is not empty, or is gone).
bool RemovePrivateDirectory(PrivateDirectory* directory);

#endif
