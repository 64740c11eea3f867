// The file attributes as GetFileAttributesA reports them, on every system
// (see GetPathAttributes in file_system.h).
#ifndef LAUNCHER_PLATFORM_FILE_ATTRIBUTES_H
#define LAUNCHER_PLATFORM_FILE_ATTRIBUTES_H

#include <cstdint>

constexpr uint32_t kInvalidFileAttributes = 0xFFFFFFFFu;
constexpr uint32_t kAttributeReadOnly = 0x01;
constexpr uint32_t kAttributeHidden = 0x02;
constexpr uint32_t kAttributeSystem = 0x04;
constexpr uint32_t kAttributeDirectory = 0x10;
constexpr uint32_t kAttributeArchive = 0x20;
constexpr uint32_t kAttributeReparsePoint = 0x400;

// What Windows will not replace, delete or open for writing: a directory or
// a read-only file (attributes as GetPathAttributes reports them; false for
// kInvalidFileAttributes, a name that nothing has).
inline bool RefusesReplacement(uint32_t attributes) {
  return attributes != kInvalidFileAttributes &&
         (attributes & (kAttributeDirectory | kAttributeReadOnly)) != 0;
}

#endif
