#include "platform/file_system.h"

#include <dirent.h>

#include <cstring>
#include <string>

#include "platform/file_system-posix.h"

namespace {

struct OpenListing {
  DIR* directory;
  std::string mask;
};

char FoldCase(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - ('a' - 'A')) : c; }

bool MatchesMask(const char* mask, const char* name) {
  if (*mask == '\0') return *name == '\0';
  if (*mask == '*') {
    for (const char* rest = name;; ++rest) {
      if (MatchesMask(mask + 1, rest)) return true;
      if (*rest == '\0') return false;
    }
  }
  if (*name == '\0') return false;
  if (*mask != '?' && FoldCase(*mask) != FoldCase(*name)) return false;
  return MatchesMask(mask + 1, name + 1);
}

bool ReadMatching(OpenListing* open, DirectoryEntry* entry) {
  while (dirent* found = readdir(open->directory)) {
    size_t length = std::strlen(found->d_name);
    if (length >= sizeof(entry->name)) continue;  // no Windows name is that long
    if (!MatchesMask(open->mask.c_str(), found->d_name)) continue;
    std::memcpy(entry->name, found->d_name, length + 1);
    return true;
  }
  return false;
}

}  // namespace

bool FindFirstEntry(const char* pattern, DirectoryListing* listing, DirectoryEntry* entry) {
  listing->handle = 0;
  std::string text = pattern;
  std::string::size_type cut = text.find_last_of("\\/");
  std::string directory = cut == std::string::npos ? std::string(".") : text.substr(0, cut + 1);
  std::string mask = cut == std::string::npos ? text : text.substr(cut + 1);
  // "*.*" is Windows' way of saying every name, those without a dot too.
  if (mask == "*.*") mask = "*";
  if (mask.empty()) return false;
  DIR* handle = opendir(HostPath(directory.c_str()).c_str());
  if (handle == nullptr) return false;
  OpenListing* open = new OpenListing{handle, mask};
  if (!ReadMatching(open, entry)) {
    closedir(handle);
    delete open;
    return false;
  }
  listing->handle = reinterpret_cast<uintptr_t>(open);
  return true;
}

bool FindNextEntry(DirectoryListing* listing, DirectoryEntry* entry) {
  if (listing->handle == 0) return false;
  return ReadMatching(reinterpret_cast<OpenListing*>(listing->handle), entry);
}

void CloseListing(DirectoryListing* listing) {
  if (listing->handle == 0) return;
  OpenListing* open = reinterpret_cast<OpenListing*>(listing->handle);
  closedir(open->directory);
  delete open;
  listing->handle = 0;
}
