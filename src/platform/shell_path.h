// Path-string helpers of the Windows shell library.
#ifndef LAUNCHER_PLATFORM_SHELL_PATH_H
#define LAUNCHER_PLATFORM_SHELL_PATH_H

// PathRemoveFileSpecA: cuts the last component off `path` in place, with
// the backslash before it unless that backslash is the root's
// ("C:\Documents and Settings\All Users" -> "C:\Documents and Settings",
// "C:\AllProfiles" -> "C:\"). The string is scanned as multibyte text of
// the ANSI code page. True when `path` changed.
bool RemoveFileSpec(char* path);

#endif
