#include "platform/file_system.h"

#include <windows.h>

#include <cstring>

namespace {

void CopyName(const WIN32_FIND_DATAA& found, DirectoryEntry* entry) {
  static_assert(sizeof(entry->name) == sizeof(found.cFileName), "name width");
  std::memcpy(entry->name, found.cFileName, sizeof(entry->name));
  entry->name[sizeof(entry->name) - 1] = '\0';
}

}  // namespace

bool FindFirstEntry(const char* pattern, DirectoryListing* listing, DirectoryEntry* entry) {
  WIN32_FIND_DATAA found;
  HANDLE handle = FindFirstFileA(pattern, &found);
  if (handle == INVALID_HANDLE_VALUE) {
    listing->handle = 0;
    return false;
  }
  listing->handle = reinterpret_cast<uintptr_t>(handle);
  CopyName(found, entry);
  return true;
}

bool FindNextEntry(DirectoryListing* listing, DirectoryEntry* entry) {
  WIN32_FIND_DATAA found;
  if (!FindNextFileA(reinterpret_cast<HANDLE>(listing->handle), &found)) return false;
  CopyName(found, entry);
  return true;
}

void CloseListing(DirectoryListing* listing) {
  if (listing->handle != 0) FindClose(reinterpret_cast<HANDLE>(listing->handle));
  listing->handle = 0;
}
