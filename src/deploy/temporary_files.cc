#include "deploy/temporary_files.h"

#include <cstdio>

#include "platform/file_system.h"
#include "platform/process.h"

namespace {

constexpr char kPrefix[] = "~slx";
constexpr size_t kPrefixLength = sizeof(kPrefix) - 1;

bool IsLowerHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }

// Reads `count` lower-case hex digits.
bool ReadHex(const char* text, size_t count, uint32_t* value) {
  *value = 0;
  for (size_t i = 0; i < count; ++i) {
    if (!IsLowerHex(text[i])) return false;
    const int digit = text[i] <= '9' ? text[i] - '0' : text[i] - 'a' + 10;
    *value = (*value << 4) | static_cast<uint32_t>(digit);
  }
  return true;
}

}  // namespace

std::string TemporaryFileName(uint32_t pid, uint32_t number, size_t room) {
  char name[32];
  if (room >= kTemporaryNameLength) {
    std::snprintf(name, sizeof(name), "%s%08x-%06x.tmp", kPrefix, static_cast<unsigned>(pid),
                  static_cast<unsigned>(number & 0xFFFFFF));
    return name;
  }
  // Near the path length limit: never longer than the target's own name,
  // so a target that fits is never refused for its temporary.
  std::snprintf(name, sizeof(name), "~%07x",
                static_cast<unsigned>((pid * 2654435761u + number) & 0xFFFFFFF));
  return std::string(name, room < 8 ? room : 8);
}

bool ParseTemporaryFileName(const char* name, uint32_t* pid) {
  size_t length = 0;
  while (length <= kTemporaryNameLength && name[length] != '\0') ++length;
  uint32_t number;
  return length == kTemporaryNameLength && std::string(name, kPrefixLength) == kPrefix &&
         ReadHex(name + kPrefixLength, 8, pid) && name[12] == '-' &&
         ReadHex(name + 13, 6, &number) && std::string(name + 19) == ".tmp";
}

uint32_t RemoveStaleTemporaries(const std::string& directory, uint32_t ownPid) {
  if (directory.empty()) return 0;
  const std::string pattern = directory + kPrefix + "*.tmp";
  DirectoryListing listing;
  DirectoryEntry entry;
  uint32_t removed = 0;
  for (bool found = FindFirstEntry(pattern.c_str(), &listing, &entry); found;
       found = FindNextEntry(&listing, &entry)) {
    uint32_t pid;
    if (!ParseTemporaryFileName(entry.name, &pid)) continue;
    if (pid != ownPid && IsProcessRunning(pid)) continue;
    if (DeleteFileNotInUse((directory + entry.name).c_str())) ++removed;
  }
  CloseListing(&listing);
  return removed;
}
