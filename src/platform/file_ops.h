// Renaming, copying, deleting and writing whole files, with the results the
// Windows runtime and CopyFileA give.
#ifndef LAUNCHER_PLATFORM_FILE_OPS_H
#define LAUNCHER_PLATFORM_FILE_OPS_H

#include <string>

// Renames a file or directory. Never replaces anything: false when `to` is
// taken (by a file or a directory), when `from` is missing, or when the
// directory of `to` does not exist.
bool RenameWithoutReplacing(const char* from, const char* to);

// CopyFileA with fail-if-exists: false when `to` exists in any form, when
// `from` is missing or is a directory, or when the copy cannot be completed
// (a partial copy is removed). The copy keeps the source's read-only state
// and last-write time.
bool CopyFileWithoutReplacing(const char* from, const char* to);

// Deletes a file. False for a directory, a missing name and a read-only
// file. A symbolic link is removed itself, never what it points to.
bool DeleteFileAt(const char* path);

// Makes a read-only file writable again; false when that cannot be done.
bool ClearReadOnly(const char* path);

// Creates `path` afresh and writes `text` into it as a text file: every "\n"
// reaches the disk as CR LF. Whatever had that name before is removed first
// (a link is removed, not followed), so that nothing but `text` ends up in
// the file. False when the file cannot be created, or when not all of the
// text reached it; the file is then left as far as it was written.
bool WriteNewTextFile(const char* path, const std::string& text);

#endif
