// Listing a directory's entries (FindFirstFileA, FindNextFileA, FindClose).
#ifndef LAUNCHER_PLATFORM_DIRECTORY_WALK_H
#define LAUNCHER_PLATFORM_DIRECTORY_WALK_H

#include <cstdint>

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

#endif
