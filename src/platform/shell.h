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

// SHGetFolderPathA for CSIDL_APPDATA and the default user's token: the
// default user's roaming "Application Data" folder, under whatever name the
// system gives it (localised, or below C:\Users), without a trailing
// backslash. False when the system cannot name it: no such function (shell32
// before 5.0), or an answer that is the current user's own folder, which
// some systems give for that token.
//
// On POSIX systems: LAUNCHER_DEFAULT_USER_APPDATA, as above.
bool GetDefaultUserAppDataFolder(char* path, size_t size);

// GetProfilesDirectoryA: the folder that holds the user profiles, without a
// trailing backslash. False when the system names none (Windows 95, 98 and
// Me keep no such folder).
//
// On POSIX systems: LAUNCHER_PROFILES_DIRECTORY, as above.
bool GetProfilesFolder(char* path, size_t size);

// --- Path strings ------------------------------------------------------------

// PathRemoveFileSpecA: cuts the last component off `path` in place, with
// the backslash before it unless that backslash is the root's
// ("C:\Documents and Settings\All Users" -> "C:\Documents and Settings",
// "C:\AllProfiles" -> "C:\"). The string is scanned as multibyte text of
// the ANSI code page. True when `path` changed.
bool RemoveFileSpec(char* path);

// Whether two folder paths name the same folder as far as their text tells:
// ASCII letters compared without case, trailing backslashes ignored. Lead
// bytes of the ANSI code page take their trail byte along unfolded.
bool SameFolderText(const char* a, const char* b);

#endif
