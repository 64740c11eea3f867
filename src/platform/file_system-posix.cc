#include "platform/file_system.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_system-posix.h"
#include "platform/text.h"

namespace {

bool DriveRoot(char letter, std::string* root) {
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 32);
  if (letter < 'A' || letter > 'Z') return false;
  if (letter == 'Z') {
    root->clear();  // Z:\x is /x
    return true;
  }
  std::string variable = "LAUNCHER_DRIVE_";
  variable += letter;
  const char* value = std::getenv(variable.c_str());
  if (value == nullptr || *value == '\0') return false;
  *root = value;
  while (!root->empty() && root->back() == '/') root->pop_back();
  return true;
}

// DeleteFileA on a host path: a link is removed itself.
bool DeleteHostFile(const std::string& native) {
  struct stat info;
  if (lstat(native.c_str(), &info) != 0 || RefusesReplacement(AttributesOfMode(info.st_mode)))
    return false;
  return unlink(native.c_str()) == 0;
}

}  // namespace

bool NativePath(const char* path, std::string* native) {
  std::string rest = path;
  native->clear();
  if (rest.empty()) return false;
  if (rest.size() >= 2 && rest[1] == ':' &&
      ((rest[0] >= 'A' && rest[0] <= 'Z') || (rest[0] >= 'a' && rest[0] <= 'z'))) {
    if (!DriveRoot(rest[0], native)) return false;
    rest.erase(0, 2);
    // "C:" and "C:x" are taken as the drive's root: there is no per-drive
    // current directory here.
    if (rest.empty() || (rest[0] != '\\' && rest[0] != '/')) rest.insert(0, "/");
  }
  // A trail byte 0x5C belongs to its character; it is no separator.
  for (size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] == '\\') {
      rest[i] = '/';
    } else if (IsAnsiLeadByte(static_cast<unsigned char>(rest[i])) && i + 1 < rest.size()) {
      ++i;
    }
  }
  *native += rest;
  return true;
}

std::string DrivePathFromNative(const std::string& native) {
  // No trail byte of a code page is 0x2F: every "/" is a separator.
  std::string drive = "Z:";
  for (char c : native) drive += (c == '/') ? '\\' : c;
  return drive;
}

uint32_t GetPathAttributes(const char* path) {
  const std::string native = HostPath(path);
  struct stat info;
  if (lstat(native.c_str(), &info) != 0) return kInvalidFileAttributes;
  if (S_ISLNK(info.st_mode)) {
    struct stat target;
    bool directory = stat(native.c_str(), &target) == 0 && S_ISDIR(target.st_mode);
    return kAttributeReparsePoint | (directory ? kAttributeDirectory : kAttributeArchive);
  }
  return AttributesOfMode(info.st_mode);
}

bool ClearReadOnly(const char* path) {
  const std::string native = HostPath(path);
  struct stat info;
  if (stat(native.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) return false;
  return chmod(native.c_str(), (info.st_mode & 07777) | S_IWUSR) == 0;
}

bool CreateDirectoryAt(const char* path) { return mkdir(HostPath(path).c_str(), 0777) == 0; }

bool RemoveDirectoryAt(const char* path) { return rmdir(HostPath(path).c_str()) == 0; }

bool RenameWithoutReplacing(const char* from, const char* to) {
  const std::string source = HostPath(from), target = HostPath(to);
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
  const std::string source = HostPath(from), target = HostPath(to);
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
    OutputFile copy;
    copy.handle = output;
    if (!WriteOutputFile(&copy, buffer, static_cast<size_t>(got))) {
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

bool MoveFileReplacing(const char* from, const char* to) {
  const std::string source = HostPath(from), target = HostPath(to);
  // Windows never replaces a directory or a read-only file. rename() would;
  // what it refuses by itself (a directory over a file) Windows refuses too.
  struct stat info;
  if (lstat(target.c_str(), &info) == 0 && RefusesReplacement(AttributesOfMode(info.st_mode)))
    return false;
  return rename(source.c_str(), target.c_str()) == 0;
}

// POSIX reports no hidden or system files, which leaves what the move
// refuses: one lstat per extracted file.
bool ReplaceFileWith(const char* source, const char* target) {
  return MoveFileReplacing(source, target);
}

bool DeleteFileAt(const char* path) { return DeleteHostFile(HostPath(path)); }

bool DeleteFileNotInUse(const char* path) { return DeleteFileAt(path); }

bool CreateNewOutputFile(const char* path, OutputFile* file) {
  *file = OutputFile();
  int fd = open(HostPath(path).c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  file->handle = fd;
  file->gathers = true;
  return true;
}

namespace {

// A large file is handed to the disk a window at a time while the rest is
// still being inflated, so the flush at its end finds little left to write.
bool WriteAll(OutputFile* file, const char* data, size_t size) {
  constexpr uint64_t kWritebackWindow = 8u << 20;
  const int fd = static_cast<int>(file->handle);
  while (size > 0) {
    const ssize_t written = write(fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= static_cast<size_t>(written);
    file->written += static_cast<uint64_t>(written);
    if (file->written - file->writebackFrom >= kWritebackWindow) {
      sync_file_range(fd, static_cast<off_t>(file->writebackFrom),
                      static_cast<off_t>(file->written - file->writebackFrom), SYNC_FILE_RANGE_WRITE);
      file->writebackFrom = file->written;
    }
  }
  return true;
}

// The extraction writes in 8 KiB pieces; a system call for each costs twice
// the system time of writing 64 KiB at a time, so the pieces of the one file
// being written are gathered here. Whatever touches that file next (its
// times, its flush, its close, or another file's write) sends them first.
struct Gathered {
  int fd = -1;
  int failedFd = -1;  // a file whose bytes were sent for it and lost
  size_t used = 0;
  char bytes[64 * 1024];
};
Gathered gathered;

void SendGatheredOfAnotherFile() {
  if (gathered.used == 0) return;
  OutputFile owner;
  owner.handle = gathered.fd;
  if (!WriteAll(&owner, gathered.bytes, gathered.used)) gathered.failedFd = gathered.fd;
  gathered.used = 0;
}

}  // namespace

bool SendGatheredWrites(OutputFile* file) {
  const int fd = static_cast<int>(file->handle);
  if (gathered.failedFd == fd) {
    gathered.failedFd = -1;
    file->lost = true;
  }
  if (gathered.fd == fd) {
    if (gathered.used > 0 && !WriteAll(file, gathered.bytes, gathered.used)) file->lost = true;
    gathered.used = 0;
    gathered.fd = -1;
  }
  return !file->lost;
}

// One write of the loop in WriteOutputFile (file_system.cc).
size_t WriteOnce(OutputFile* file, const void* data, size_t size) {
  if (file->lost) return 0;
  if (!file->gathers) return WriteAll(file, static_cast<const char*>(data), size) ? size : 0;
  const int fd = static_cast<int>(file->handle);
  if (gathered.fd != fd) {
    SendGatheredOfAnotherFile();
    gathered.fd = fd;
  }
  const size_t room = sizeof(gathered.bytes) - gathered.used;
  const size_t taken = size < room ? size : room;
  std::memcpy(gathered.bytes + gathered.used, data, taken);
  gathered.used += taken;
  if (gathered.used == sizeof(gathered.bytes)) {
    if (!WriteAll(file, gathered.bytes, gathered.used)) file->lost = true;
    gathered.used = 0;
  }
  return file->lost ? 0 : taken;
}

bool FlushOutputFile(OutputFile* file) {
  return SendGatheredWrites(file) && fsync(static_cast<int>(file->handle)) == 0;
}

// Every fsync ends in a flush of the disk's cache, the bulk of its cost for a
// small file; one syncfs per file system flushes a whole group of files with
// one. syncfs fails on a write error of any file there since the last call
// (Linux 5.8 on); each file of the group is then flushed on its own, so the
// error falls on the files it belongs to.
size_t OutputFlushGroupSize() { return 64; }

void FlushOutputFiles(OutputFile* const files[], size_t count, bool flushed[]) {
  if (count == 1) {
    flushed[0] = FlushOutputFile(files[0]);
    return;
  }
  std::vector<dev_t> devices(count);
  std::vector<bool> handled(count, false);
  for (size_t i = 0; i < count; ++i) {
    struct stat status;
    if (!SendGatheredWrites(files[i])) {
      flushed[i] = false;
      handled[i] = true;
    } else if (fstat(static_cast<int>(files[i]->handle), &status) == 0) {
      devices[i] = status.st_dev;
    } else {
      flushed[i] = FlushOutputFile(files[i]);
      handled[i] = true;
    }
  }
  for (size_t i = 0; i < count; ++i) {
    if (handled[i]) continue;
    const bool synced = syncfs(static_cast<int>(files[i]->handle)) == 0;
    for (size_t j = i; j < count; ++j) {
      if (handled[j] || devices[j] != devices[i]) continue;
      // Where syncfs itself fails, each file is flushed on its own.
      flushed[j] = synced || FlushOutputFile(files[j]);
      handled[j] = true;
    }
  }
}

bool CloseOutputFile(OutputFile* file) {
  const bool sent = SendGatheredWrites(file);
  int fd = static_cast<int>(file->handle);
  file->handle = -1;
  return close(fd) == 0 && sent;
}

bool WriteNewTextFile(const char* path, const std::string& text) {
  const std::string native = HostPath(path);
  struct stat info;
  if (lstat(native.c_str(), &info) == 0) DeleteHostFile(native);
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
  OutputFile file;
  file.handle = descriptor;
  bool written = WriteOutputFile(&file, lines.data(), lines.size());
  return close(descriptor) == 0 && written;
}
