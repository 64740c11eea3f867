#include "platform/file_system.h"

#include <sys/stat.h>

#include <string>

#include "platform/native_path.h"

uint32_t GetPathAttributes(const char* path) {
  std::string native;
  struct stat info;
  if (!NativePath(path, &native) || native.empty() || lstat(native.c_str(), &info) != 0)
    return kInvalidFileAttributes;
  if (S_ISLNK(info.st_mode)) {
    struct stat target;
    bool directory = stat(native.c_str(), &target) == 0 && S_ISDIR(target.st_mode);
    return kAttributeReparsePoint | (directory ? kAttributeDirectory : kAttributeArchive);
  }
  uint32_t attributes = S_ISDIR(info.st_mode) ? kAttributeDirectory : kAttributeArchive;
  if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) attributes |= kAttributeReadOnly;
  return attributes;
}

bool CreateDirectoryAt(const char* path) {
  std::string native;
  return NativePath(path, &native) && !native.empty() && mkdir(native.c_str(), 0777) == 0;
}
