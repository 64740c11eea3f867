// The file system with Windows semantics: paths, attributes, directories,
// listing, renaming, copying, moving, replacing and deleting, times, files
// written afresh and whole files read.
//
// On Windows each operation is the ANSI call it names. On POSIX systems a
// path in drive form maps the way Wine maps it (see NativePath), and the
// operations give the results Windows (and Wine) give; where the two
// systems differ, the comment says so.
#ifndef LAUNCHER_PLATFORM_FILE_SYSTEM_H
#define LAUNCHER_PLATFORM_FILE_SYSTEM_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/file_attributes.h"

// --- Paths -----------------------------------------------------------------

// Windows-form paths on the host. On Windows this is the identity. On POSIX
// systems a drive path maps the way Wine maps it: Z: is "/", and any other
// drive X: is the directory named by the environment variable
// LAUNCHER_DRIVE_X (for example LAUNCHER_DRIVE_C=/srv/drive_c); a path that
// already starts with "/" is a host path. Backslashes become slashes. False
// when the path is empty (it names no file) or names a drive that is not
// mapped.
bool NativePath(const char* path, std::string* native);

// A host path in drive form ("/tmp/a" -> "Z:\tmp\a").
std::string DrivePathFromNative(const std::string& native);

// --- Attributes ------------------------------------------------------------

// (Their values and RefusesReplacement: file_attributes.h.)

// GetFileAttributesA: kInvalidFileAttributes when nothing of that name
// exists. On POSIX systems a directory reads as kAttributeDirectory, a file
// as kAttributeArchive, either with kAttributeReadOnly when nobody may write
// it, as Wine reports them. A symbolic link reports itself, as a Windows link
// does: kAttributeReparsePoint, with kAttributeDirectory when it leads to a
// directory, so that a tree walk never follows it out of the tree.
uint32_t GetPathAttributes(const char* path);

// A file or directory of that name exists.
inline bool PathExists(const char* path) {
  return GetPathAttributes(path) != kInvalidFileAttributes;
}

// Makes a read-only file writable again (SetFileAttributesA); false when
// that cannot be done, also for a directory.
bool ClearReadOnly(const char* path);

// --- Directories -----------------------------------------------------------

// CreateDirectoryA with default security: false when the directory cannot be
// made, also when something of that name exists already.
bool CreateDirectoryAt(const char* path);

// RemoveDirectoryA: removes an empty directory; false otherwise.
bool RemoveDirectoryAt(const char* path);

// Listing a directory's entries (FindFirstFileA, FindNextFileA, FindClose).
struct DirectoryEntry {
  char name[260];  // the entry's name, without its directory
};

struct DirectoryListing {
  uintptr_t handle = 0;
};

// Starts listing the entries that match `pattern`, a directory path followed
// by "\" and a mask of '*' and '?' wildcards ("*.*" matches every name), and
// reports the first one. False, with nothing left open, when the directory
// cannot be read or nothing matches. On POSIX systems "." and ".." are
// listed as Windows lists them outside a drive's root, the entries come in
// the file system's own order and the mask ignores the case of a-z.
bool FindFirstEntry(const char* pattern, DirectoryListing* listing, DirectoryEntry* entry);

// The next matching entry; false when there is none.
bool FindNextEntry(DirectoryListing* listing, DirectoryEntry* entry);

void CloseListing(DirectoryListing* listing);

// --- Renaming, copying, moving, deleting -----------------------------------

// Renames a file or directory (the runtime's rename: MoveFileA). Never
// replaces anything: false when `to` is taken (by a file or a directory),
// when `from` is missing, or when the directory of `to` does not exist.
bool RenameWithoutReplacing(const char* from, const char* to);

// CopyFileA with fail-if-exists: false when `to` exists in any form, when
// `from` is missing or is a directory, or when the copy cannot be completed
// (a partial copy is removed). The copy keeps the source's read-only state
// and last-write time.
bool CopyFileWithoutReplacing(const char* from, const char* to);

// MoveFileExA with MOVEFILE_REPLACE_EXISTING as the only flag: moves a file
// or a whole directory to `to`, replacing a file there but never a
// directory, and never moving a directory onto anything that exists. Moves
// stay on one volume: false when `to` lies on another one. On POSIX systems
// this is rename(), which fails across file systems just so; a file that
// nobody may write (read-only) is not replaced, as on Windows. Where the
// system has only a stub of MoveFileExA (the Windows 95 family), the move is
// made of plainer calls (platform/move_fallback.h).
bool MoveFileReplacing(const char* from, const char* to);

// Moves the file `source` over `target` as MoveFileReplacing does, but
// leaves alone, and returns false for, the files that CreateFileA cannot
// create afresh either: a read-only file, and on Windows a hidden or system
// file or one held open.
bool ReplaceFileWith(const char* source, const char* target);

// DeleteFileA: false for a directory, a missing name and a read-only file.
// A symbolic link is removed itself, never what it points to.
bool DeleteFileAt(const char* path);

// Deletes a file that no process has open: on Windows it is opened for
// deletion without sharing (FILE_FLAG_DELETE_ON_CLOSE), so a file held
// anywhere else stays; POSIX systems cannot tell and delete it (DeleteFileAt).
bool DeleteFileNotInUse(const char* path);

// --- Times -----------------------------------------------------------------
// Times are FILETIME values: 100-ns intervals since 1601-01-01 UTC.

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

struct FileTimes {
  uint64_t creation;  // on POSIX systems: the status-change time
  uint64_t lastAccess;
  uint64_t lastWrite;
};

// GetFileTime on a file or directory, opened with full sharing.
bool ReadFileTimes(const char* path, FileTimes* times);

// --- Output files ----------------------------------------------------------
// A new file is written under a name of its own, then moved over the name it
// is meant to have (ReplaceFileWith).
//
// On Windows these are CreateFileA (GENERIC_READ | GENERIC_WRITE, no
// sharing), WriteFile, FlushFileBuffers and CloseHandle. A file that another
// process holds open without delete sharing cannot be replaced: it stays as
// it was.
//
// POSIX has no share modes: nothing can hold a file against replacement.
// Replacing a file there swaps the name over to the new data; a process
// that has the old file open goes on reading the old data, and nothing it
// holds is ever written into. As on Windows (and Wine), a file without any
// write permission bit counts as read-only and is neither replaced nor
// opened for writing, even by root.

struct OutputFile {
  intptr_t handle = -1;  // a HANDLE on Windows, a descriptor elsewhere
  // Bytes written so far, and from where the disk has not yet been asked to
  // write them (POSIX starts writeback while a large file is still coming).
  uint64_t written = 0;
  uint64_t writebackFrom = 0;
  // POSIX gathers the small writes of a file made by CreateNewOutputFile;
  // once gathered bytes could not be written, no later call on the file
  // succeeds.
  bool gathers = false;
  bool lost = false;
};

// Creates a new file for writing (CREATE_NEW): false when anything of that
// name exists already or the file cannot be made.
bool CreateNewOutputFile(const char* path, OutputFile* file);

// Writes all `size` bytes; false when not all of them could be written.
bool WriteOutputFile(OutputFile* file, const void* data, size_t size);

// Hands what was written to the disk (FlushFileBuffers, fsync).
bool FlushOutputFile(OutputFile* file);

// How many written files are best flushed together: 1 where every flush is
// paid per file (Windows), more where one call flushes a whole file system
// for about the price of flushing one file (POSIX, syncfs).
size_t OutputFlushGroupSize();

// Hands `count` files to the disk, as FlushOutputFile does each of them;
// `flushed[i]` tells whether file i surely reached it.
void FlushOutputFiles(OutputFile* const files[], size_t count, bool flushed[]);

// Closes the file; false when the system reports that the close failed.
bool CloseOutputFile(OutputFile* file);

// Stamps a file that is still open for writing, as SetFileTimesFromDosStamp
// stamps one by its path, and saves opening it again. False where the
// system stamps files by their path only (Windows): then the caller does so
// once the file is in place.
bool StampOutputFileFromDos(OutputFile* file, uint32_t dosDateTime);

// --- Whole files -----------------------------------------------------------

// Creates `path` afresh and writes `text` into it as a text file: every "\n"
// reaches the disk as CR LF. Whatever had that name before is removed first
// (a link is removed, not followed), so that nothing but `text` ends up in
// the file. False when the file cannot be created, or when not all of the
// text reached it; the file is then left as far as it was written.
bool WriteNewTextFile(const char* path, const std::string& text);

// The whole file's bytes into `contents`; false, and `contents` untouched,
// when there is no file to read or reading it fails.
bool ReadWholeFile(const char* path, std::string* contents);

#endif
