#include "platform/file_system.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cstdio>
#include <utility>

#include "platform/move_fallback.h"

namespace {

HANDLE HandleOf(const OutputFile* file) { return reinterpret_cast<HANDLE>(file->handle); }

bool MoveReplacingCall(void*, const char* from, const char* to, bool* notImplemented) {
  if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING)) return true;
  *notImplemented = GetLastError() == ERROR_CALL_NOT_IMPLEMENTED;
  return false;
}
bool MoveCall(void*, const char* from, const char* to) { return MoveFileA(from, to) != 0; }
bool RemoveCall(void*, const char* path) { return DeleteFileA(path) != 0; }
uint32_t AttributesCall(void*, const char* path) { return GetFileAttributesA(path); }

}  // namespace

uint32_t GetPathAttributes(const char* path) { return GetFileAttributesA(path); }

bool ClearReadOnly(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return false;
  return SetFileAttributesA(path, attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY)) != 0;
}

bool CreateDirectoryAt(const char* path) { return CreateDirectoryA(path, nullptr) != 0; }

bool RemoveDirectoryAt(const char* path) { return RemoveDirectoryA(path) != 0; }

bool RenameWithoutReplacing(const char* from, const char* to) {
  // The runtime's rename: MoveFileA without permission to replace.
  return std::rename(from, to) == 0;
}

bool CopyFileWithoutReplacing(const char* from, const char* to) {
  return CopyFileA(from, to, TRUE) != 0;
}

bool ReplaceFileWith(const char* source, const char* target) {
  // A read-only, hidden or system file is left as it is, as writing it
  // afresh (CreateFileA with CREATE_ALWAYS) would leave it; a move would
  // replace it, and under Wine even a read-only one.
  const DWORD kept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  const DWORD attributes = GetFileAttributesA(target);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & kept) != 0) return false;
  return MoveFileReplacing(source, target);
}

bool MoveFileReplacing(const char* from, const char* to) {
  static const MoveCalls kSystem = {nullptr, MoveReplacingCall, MoveCall, RemoveCall,
                                    AttributesCall};
  return MoveReplacingWith(kSystem, from, to);
}

bool DeleteFileAt(const char* path) { return DeleteFileA(path) != 0; }

bool DeleteFileNotInUse(const char* path) {
  // Without sharing the open fails while anyone else has the file open, and
  // the file goes when this only handle closes. A link is opened itself,
  // never what it leads to: the file deleted is the one listed.
  HANDLE file = CreateFileA(path, DELETE, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    if (GetLastError() == ERROR_SHARING_VIOLATION) return false;
    // The Windows 95 family knows neither the DELETE right nor the flags: an
    // open without sharing still proves that nobody holds the file, and
    // DeleteFileA removes a link itself.
    file = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return DeleteFileA(path) != 0;
  }
  CloseHandle(file);
  return GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES || DeleteFileA(path) != 0;
}

bool CreateNewOutputFile(const char* path, OutputFile* file) {
  HANDLE handle = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0,
                              nullptr);
  file->handle = reinterpret_cast<intptr_t>(handle);
  return handle != INVALID_HANDLE_VALUE;
}

// One write of the loop in WriteOutputFile (file_system.cc).
size_t WriteOnce(OutputFile* file, const void* data, size_t size) {
  DWORD written = 0;
  if (!WriteFile(HandleOf(file), data, static_cast<DWORD>(size), &written, nullptr)) return 0;
  return written;
}

bool FlushOutputFile(OutputFile* file) { return FlushFileBuffers(HandleOf(file)) != 0; }

size_t OutputFlushGroupSize() { return 1; }

void FlushOutputFiles(OutputFile* const files[], size_t count, bool flushed[]) {
  for (size_t i = 0; i < count; ++i) flushed[i] = FlushOutputFile(files[i]);
}

bool CloseOutputFile(OutputFile* file) {
  bool closed = CloseHandle(HandleOf(file)) != 0;
  file->handle = reinterpret_cast<intptr_t>(INVALID_HANDLE_VALUE);
  return closed;
}

bool NativePath(const char* path, std::string* native) {
  *native = path;
  return !native->empty();
}

std::string DrivePathFromNative(const std::string& native) { return native; }

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
