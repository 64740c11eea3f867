#include "platform/file_ops.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/native_path.h"
#include "platform/posix_file_mode.h"

namespace {

bool WriteAll(int descriptor, const char* data, size_t size) {
  while (size > 0) {
    ssize_t written = write(descriptor, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

// Windows refuses to delete a read-only file; so does this layer.
bool Unlink(const std::string& native) {
  struct stat info;
  if (lstat(native.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) return false;
  if (S_ISREG(info.st_mode) && IsReadOnlyMode(info.st_mode)) return false;
  return unlink(native.c_str()) == 0;
}

}  // namespace

bool RenameWithoutReplacing(const char* from, const char* to) {
  std::string source, target;
  if (!NativePath(from, &source) || !NativePath(to, &target)) return false;
#ifdef RENAME_NOREPLACE
  if (renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
    return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
#endif
  // Without an atomic form, the name is checked first.
  struct stat info;
  if (lstat(target.c_str(), &info) == 0 || errno != ENOENT) return false;
  return rename(source.c_str(), target.c_str()) == 0;
}

bool CopyFileWithoutReplacing(const char* from, const char* to) {
  std::string source, target;
  if (!NativePath(from, &source) || !NativePath(to, &target)) return false;
  int input = open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (input < 0) return false;
  struct stat info;
  if (fstat(input, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(input);
    return false;
  }
  // O_EXCL also refuses a dangling link at the target.
  int output = open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (output < 0) {
    close(input);
    return false;
  }
  bool copied = true;
  char buffer[65536];
  for (;;) {
    ssize_t got = read(input, buffer, sizeof(buffer));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) copied = false;
    if (got <= 0) break;
    if (!WriteAll(output, buffer, static_cast<size_t>(got))) {
      copied = false;
      break;
    }
  }
  close(input);
  struct timespec times[2] = {info.st_atim, info.st_mtim};
  copied = copied && futimens(output, times) == 0;
  copied = copied && fchmod(output, info.st_mode & 0777) == 0;
  copied = close(output) == 0 && copied;
  if (!copied) unlink(target.c_str());
  return copied;
}

bool DeleteFileAt(const char* path) {
  std::string native;
  return NativePath(path, &native) && Unlink(native);
}

bool ClearReadOnly(const char* path) {
  std::string native;
  struct stat info;
  if (!NativePath(path, &native) || stat(native.c_str(), &info) != 0 || S_ISDIR(info.st_mode))
    return false;
  return chmod(native.c_str(), (info.st_mode & 07777) | S_IWUSR) == 0;
}

bool WriteNewTextFile(const char* path, const std::string& text) {
  std::string native;
  if (!NativePath(path, &native)) return false;
  struct stat info;
  if (lstat(native.c_str(), &info) == 0) Unlink(native);
  // O_EXCL never follows a link: if something took the name again in
  // between, the file is not ours to write.
  int descriptor = open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (descriptor < 0) return false;
  std::string lines;
  lines.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') lines += '\r';
    lines += c;
  }
  bool written = WriteAll(descriptor, lines.data(), lines.size());
  return close(descriptor) == 0 && written;
}
