#include "platform/move_file.h"

#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/native_path.h"
#include "platform/posix_file_mode.h"

bool MoveFileReplacing(const char* from, const char* to) {
  std::string source, target;
  if (!NativePath(from, &source) || !NativePath(to, &target))
    return false;
  struct stat sourceInfo;
  if (lstat(source.c_str(), &sourceInfo) != 0) return false;
  struct stat targetInfo;
  if (lstat(target.c_str(), &targetInfo) == 0) {
    // rename() would put a directory in place of an empty one, which
    // Windows never does; nor does it replace a directory or a read-only
    // file by a file.
    if (S_ISDIR(sourceInfo.st_mode) || S_ISDIR(targetInfo.st_mode)) return false;
    if (!S_ISLNK(targetInfo.st_mode) && IsReadOnlyMode(targetInfo.st_mode)) return false;
  }
  return rename(source.c_str(), target.c_str()) == 0;
}

bool RemoveDirectoryAt(const char* path) {
  std::string native;
  return NativePath(path, &native) && rmdir(native.c_str()) == 0;
}
