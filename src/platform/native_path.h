// Windows-form paths on the host. On Windows these are the identity. On
// POSIX systems a drive path maps the way Wine maps it: Z: is "/", and any
// other drive X: is the directory named by the environment variable
// LAUNCHER_DRIVE_X (for example LAUNCHER_DRIVE_C=/srv/drive_c); a path that
// already starts with "/" is a host path. Backslashes become slashes.
#ifndef LAUNCHER_PLATFORM_NATIVE_PATH_H
#define LAUNCHER_PLATFORM_NATIVE_PATH_H

#include <string>

// False when the path is empty (it names no file) or names a drive that is
// not mapped.
bool NativePath(const char* path, std::string* native);

// A host path in drive form ("/tmp/a" -> "Z:\tmp\a").
std::string DrivePathFromNative(const std::string& native);

#endif
