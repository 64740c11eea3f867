#include "platform/file_ops.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cstdio>

bool RenameWithoutReplacing(const char* from, const char* to) {
  // The runtime's rename: MoveFileA without permission to replace.
  return std::rename(from, to) == 0;
}

bool CopyFileWithoutReplacing(const char* from, const char* to) {
  return CopyFileA(from, to, TRUE) != 0;
}

bool DeleteFileAt(const char* path) { return DeleteFileA(path) != 0; }

bool ClearReadOnly(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return false;
  return SetFileAttributesA(path, attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY)) != 0;
}

bool WriteNewTextFile(const char* path, const std::string& text) {
  if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) DeleteFileA(path);
  // Created exclusively: if something took the name again in between, the
  // file is not ours to write.
  int descriptor = _open(path, _O_WRONLY | _O_CREAT | _O_EXCL | _O_TEXT, _S_IREAD | _S_IWRITE);
  if (descriptor < 0) return false;
  std::FILE* stream = _fdopen(descriptor, "wt");
  if (stream == nullptr) {
    _close(descriptor);
    return false;
  }
  bool written = std::fwrite(text.data(), 1, text.size(), stream) == text.size();
  written = std::fflush(stream) == 0 && written;
  return std::fclose(stream) == 0 && written;
}
