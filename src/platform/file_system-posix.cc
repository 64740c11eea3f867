#include "platform/file_system.h"

#include <sys/stat.h>

#include <string>

#include "platform/native_path.h"
#include "platform/posix_file_mode.h"

uint32_t GetPathAttributes(const char* path) {
  std::string native;
  struct stat info;
  if (!NativePath(path, &native) || lstat(native.c_str(), &info) != 0)
    return kInvalidFileAttributes;
  if (S_ISLNK(info.st_mode)) {
    struct stat target;
    bool directory = stat(native.c_str(), &target) == 0 && S_ISDIR(target.st_mode);
    return kAttributeReparsePoint | (directory ? kAttributeDirectory : kAttributeArchive);
  }
  uint32_t attributes = S_ISDIR(info.st_mode) ? kAttributeDirectory : kAttributeArchive;
  if (IsReadOnlyMode(info.st_mode)) attributes |= kAttributeReadOnly;
  return attributes;
}

bool CreateDirectoryAt(const char* path) {
  std::string native;
  return NativePath(path, &native) && mkdir(native.c_str(), 0777) == 0;
}
