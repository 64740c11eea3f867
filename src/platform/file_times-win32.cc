#include "platform/file_system.h"

#include <windows.h>

namespace {

uint64_t FromFileTime(const FILETIME& time) {
  return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

}  // namespace

bool SetFileTimesFromDosStamp(const char* path, uint32_t dosDateTime) {
  HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  FILETIME creation, lastAccess, lastWrite;
  FILETIME local, stamp;
  if (GetFileTime(file, &creation, &lastAccess, &lastWrite) &&
      DosDateTimeToFileTime(static_cast<WORD>(dosDateTime >> 16),
                            static_cast<WORD>(dosDateTime & 0xFFFF), &local) &&
      LocalFileTimeToFileTime(&local, &stamp)) {
    SetFileTime(file, &stamp, &lastAccess, &stamp);
  }
  CloseHandle(file);
  return true;
}

// Windows stamps a file through its path once it is in place, in the order
// CreateFileA, GetFileTime, DosDateTimeToFileTime, LocalFileTimeToFileTime,
// SetFileTime.
bool StampOutputFileFromDos(OutputFile*, uint32_t) { return false; }

bool ReadFileTimes(const char* path, FileTimes* times) {
  HANDLE file = CreateFileA(path, FILE_READ_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  FILETIME creation, lastAccess, lastWrite;
  bool read = GetFileTime(file, &creation, &lastAccess, &lastWrite) != 0;
  CloseHandle(file);
  if (!read) return false;
  times->creation = FromFileTime(creation);
  times->lastAccess = FromFileTime(lastAccess);
  times->lastWrite = FromFileTime(lastWrite);
  return true;
}
