#include "platform/file_output.h"

#include <windows.h>

#include "platform/move_file.h"

namespace {

HANDLE HandleOf(const OutputFile* file) { return reinterpret_cast<HANDLE>(file->handle); }

}  // namespace

bool CreateNewOutputFile(const char* path, OutputFile* file) {
  HANDLE handle = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0,
                              nullptr);
  file->handle = reinterpret_cast<intptr_t>(handle);
  return handle != INVALID_HANDLE_VALUE;
}

bool WriteOutputFile(OutputFile* file, const void* data, size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    DWORD written = 0;
    if (!WriteFile(HandleOf(file), bytes, static_cast<DWORD>(size), &written, nullptr) ||
        written == 0)
      return false;
    bytes += written;
    size -= written;
  }
  return true;
}

bool FlushOutputFile(OutputFile* file) { return FlushFileBuffers(HandleOf(file)) != 0; }

bool CloseOutputFile(OutputFile* file) {
  bool closed = CloseHandle(HandleOf(file)) != 0;
  file->handle = reinterpret_cast<intptr_t>(INVALID_HANDLE_VALUE);
  return closed;
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

