// File modes read the way Wine turns them into Windows attributes; used by
// the POSIX layer only.
#ifndef LAUNCHER_PLATFORM_POSIX_FILE_MODE_H
#define LAUNCHER_PLATFORM_POSIX_FILE_MODE_H

#include <sys/stat.h>

// Read-only: nobody may write it.
inline bool IsReadOnlyMode(mode_t mode) { return (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0; }

#endif
