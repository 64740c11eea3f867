// What the Windows shell offers: the folders it knows by name, and its
// path-string helpers.
#ifndef LAUNCHER_PLATFORM_SHELL_H
#define LAUNCHER_PLATFORM_SHELL_H

#include <cstddef>

// --- Shell folders -----------------------------------------------------------

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

// --- Path strings ------------------------------------------------------------

// PathRemoveFileSpecA: cuts the last component off `path` in place, with
// the backslash before it unless that backslash is the root's
// ("C:\Documents and Settings\All Users" -> "C:\Documents and Settings",
// "C:\AllProfiles" -> "C:\"). The string is scanned as multibyte text of
// the ANSI code page. True when `path` changed.
bool RemoveFileSpec(char* path);

#endif
