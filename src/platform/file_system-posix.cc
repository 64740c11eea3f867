#include "platform/file_system.h"

#include <sys/stat.h>

#include <string>

#include "platform/native_path.h"

uint32_t GetPathAttributes(const char* path) {
  std::string native;
  struct stat info;
  if (!NativePath(path, &native) || native.empty() || stat(native.c_str(), &info) != 0)
    return kInvalidFileAttributes;
  uint32_t attributes = S_ISDIR(info.st_mode) ? kAttributeDirectory : kAttributeArchive;
  if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) attributes |= kAttributeReadOnly;
  return attributes;
}

bool CreateDirectoryAt(const char* path) {
  std::string native;
  return NativePath(path, &native) && !native.empty() && mkdir(native.c_str(), 0777) == 0;
}
