// File times with Windows semantics. Times are FILETIME values: 100-ns
// intervals since 1601-01-01 UTC.
#ifndef LAUNCHER_PLATFORM_FILE_TIMES_H
#define LAUNCHER_PLATFORM_FILE_TIMES_H

#include <cstdint>

// Sets the creation and last-write time of the existing file at `path` to
// the MS-DOS date/time `dosDateTime` (date in the high 16 bits, time in the
// low 16 bits) read as local time, and keeps its last-access time. False
// when the file cannot be opened for writing: as on Windows, a directory or
// a read-only file cannot. A stamp that is no valid date and time leaves the
// file's times as they are (the result is still true).
//
// Windows converts with DosDateTimeToFileTime and LocalFileTimeToFileTime,
// which apply the time zone's current offset. POSIX systems convert with
// mktime, which applies the offset in force at the stamp's own date, and
// have no creation time to set: only the last-write time changes there.
bool SetFileTimesFromDosStamp(const char* path, uint32_t dosDateTime);

struct OutputFile;

// Stamps a file that is still open for writing, as SetFileTimesFromDosStamp
// stamps one by its path, and saves opening it again. False where the
// system stamps files by their path only (Windows): then the caller does so
// once the file is in place.
bool StampOutputFileFromDos(OutputFile* file, uint32_t dosDateTime);

struct FileTimes {
  uint64_t creation;  // on POSIX systems: the status-change time
  uint64_t lastAccess;
  uint64_t lastWrite;
};

// GetFileTime on a file or directory, opened with full sharing.
bool ReadFileTimes(const char* path, FileTimes* times);

#endif
