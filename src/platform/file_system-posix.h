// What the POSIX file-system layer shares between its files: how a path of
// the logic names a host file, and how a file's mode reads as Windows
// attributes.
#ifndef LAUNCHER_PLATFORM_FILE_SYSTEM_POSIX_H
#define LAUNCHER_PLATFORM_FILE_SYSTEM_POSIX_H

#include <sys/stat.h>

#include <cstdint>
#include <string>

#include "platform/file_system.h"

// The host path of `path`, or "" when it names no file or lies on a drive
// that is not mapped: every system call fails on "" as on a missing name.
inline std::string HostPath(const char* path) {
  std::string native;
  return NativePath(path, &native) ? native : std::string();
}

// Read-only: nobody may write it.
inline bool IsReadOnlyMode(mode_t mode) { return (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0; }

// The attributes of an entry of this mode as Wine reports them; a link (as
// lstat reports it) is neither a directory nor read-only itself.
inline uint32_t AttributesOfMode(mode_t mode) {
  uint32_t attributes = S_ISDIR(mode) ? kAttributeDirectory : kAttributeArchive;
  if (IsReadOnlyMode(mode)) attributes |= kAttributeReadOnly;
  return attributes;
}

// Writes out what was gathered for `file` (see WriteOnce); false when some
// of its bytes, now or before, could not be written.
bool SendGatheredWrites(OutputFile* file);

#endif
