// Moving and removing file-system entries with Windows semantics.
#ifndef LAUNCHER_PLATFORM_MOVE_FILE_H
#define LAUNCHER_PLATFORM_MOVE_FILE_H

// MoveFileExA with MOVEFILE_REPLACE_EXISTING as the only flag: moves a file
// or a whole directory to `to`, replacing a file there but never a
// directory, and never moving a directory onto anything that exists. Moves
// stay on one volume: false when `to` lies on another one. On POSIX systems
// this is rename(), which fails across file systems just so; a file that
// nobody may write (read-only) is not replaced, as on Windows.
bool MoveFileReplacing(const char* from, const char* to);

// RemoveDirectoryA: removes an empty directory; false otherwise.
bool RemoveDirectoryAt(const char* path);

#endif
