// Writing whole files: a new file is written under a name of its own, then
// moved over the name it is meant to have.
//
// On Windows these are CreateFileA (GENERIC_READ | GENERIC_WRITE, no
// sharing), WriteFile, FlushFileBuffers, CloseHandle and MoveFileExA. A
// file that another process holds open without delete sharing cannot be
// replaced: it stays as it was.
//
// POSIX has no share modes: nothing can hold a file against replacement.
// Replacing a file there swaps the name over to the new data; a process
// that has the old file open goes on reading the old data, and nothing it
// holds is ever written into. As on Windows (and Wine), a file without any
// write permission bit counts as read-only and is neither replaced nor
// opened for writing, even by root.
#ifndef LAUNCHER_PLATFORM_FILE_OUTPUT_H
#define LAUNCHER_PLATFORM_FILE_OUTPUT_H

#include <cstddef>
#include <cstdint>

struct OutputFile {
  intptr_t handle = -1;  // a HANDLE on Windows, a descriptor elsewhere
};

// Creates a new file for writing (CREATE_NEW): false when anything of that
// name exists already or the file cannot be made.
bool CreateNewOutputFile(const char* path, OutputFile* file);

// Writes all `size` bytes; false when not all of them could be written.
bool WriteOutputFile(OutputFile* file, const void* data, size_t size);

// Hands what was written to the disk (FlushFileBuffers, fsync).
bool FlushOutputFile(OutputFile* file);

// Closes the file; false when the system reports that the close failed.
bool CloseOutputFile(OutputFile* file);

// Moves the file `source` to `target`, replacing a file of that name
// (MoveFileExA with MOVEFILE_REPLACE_EXISTING). False, and nothing changed,
// when the target is a directory, is read-only, or (on Windows) is hidden,
// a system file or held open: the files that CreateFileA cannot create
// afresh either.
bool ReplaceFileWith(const char* source, const char* target);

// Deleting a file is DeleteFileAt() in platform/file_ops.h.

#endif
