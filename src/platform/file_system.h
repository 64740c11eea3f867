// Path queries and directory creation with Windows semantics.
#ifndef LAUNCHER_PLATFORM_FILE_SYSTEM_H
#define LAUNCHER_PLATFORM_FILE_SYSTEM_H

#include <cstdint>

constexpr uint32_t kInvalidFileAttributes = 0xFFFFFFFFu;
constexpr uint32_t kAttributeReadOnly = 0x01;
constexpr uint32_t kAttributeDirectory = 0x10;
constexpr uint32_t kAttributeArchive = 0x20;
constexpr uint32_t kAttributeReparsePoint = 0x400;

// GetFileAttributesA: kInvalidFileAttributes when nothing of that name
// exists. On POSIX systems a directory reads as kAttributeDirectory, a file
// as kAttributeArchive, either with kAttributeReadOnly when nobody may write
// it, as Wine reports them. A symbolic link reports itself, as a Windows link
// does: kAttributeReparsePoint, with kAttributeDirectory when it leads to a
// directory, so that a tree walk never follows it out of the tree.
uint32_t GetPathAttributes(const char* path);

// A file or directory of that name exists.
inline bool PathExists(const char* path) {
  return GetPathAttributes(path) != kInvalidFileAttributes;
}

// CreateDirectoryA with default security: false when the directory cannot be
// made, also when something of that name exists already.
bool CreateDirectoryAt(const char* path);

#endif
