#include "platform/file_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/native_path.h"
#include "platform/posix_file_mode.h"

bool CreateNewOutputFile(const char* path, OutputFile* file) {
  file->handle = -1;
  std::string native;
  if (!NativePath(path, &native)) return false;
  int fd = open(native.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  file->handle = fd;
  return true;
}

bool WriteOutputFile(OutputFile* file, const void* data, size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t written = write(static_cast<int>(file->handle), bytes, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

bool FlushOutputFile(OutputFile* file) { return fsync(static_cast<int>(file->handle)) == 0; }

bool CloseOutputFile(OutputFile* file) {
  int fd = static_cast<int>(file->handle);
  file->handle = -1;
  return close(fd) == 0;
}

bool ReplaceFileWith(const char* source, const char* target) {
  std::string from, to;
  if (!NativePath(source, &from) || !NativePath(target, &to)) return false;
  struct stat info;
  if (lstat(to.c_str(), &info) == 0) {
    // rename() would happily replace a read-only file or an empty directory;
    // Windows refuses both.
    if (S_ISDIR(info.st_mode)) return false;
    if (IsReadOnlyMode(info.st_mode)) return false;
  }
  return rename(from.c_str(), to.c_str()) == 0;
}

