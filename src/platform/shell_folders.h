// Folders the shell knows by name.
#ifndef LAUNCHER_PLATFORM_SHELL_FOLDERS_H
#define LAUNCHER_PLATFORM_SHELL_FOLDERS_H

#include <cstddef>

// SHGetSpecialFolderPathA for CSIDL_COMMON_PROGRAMS without creating it: the
// Start-menu programs folder shared by all users, without a trailing
// backslash, into `path` (`size` bytes). False when the system has none or
// it does not fit.
//
// On POSIX systems the folder is whatever the environment variable
// LAUNCHER_COMMON_PROGRAMS names (a host path such as
// /srv/start-menu/programs, or a drive path such as C:\Programs); without it
// there is no such folder.
bool GetCommonProgramsFolder(char* path, size_t size);

#endif
