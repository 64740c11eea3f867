#include <cstddef>

#include "platform/shell.h"
#include "platform/text.h"

// Written here rather than imported: the shell's string library is not
// loaded into every process before ours, so importing it would let a copy
// left beside the launcher load in its place.
bool RemoveFileSpec(char* path) {
  if (path == nullptr) return false;
  char* cut = path;
  char* p = path;
  // A leading "\" (a rooted path) or "\\" (a UNC prefix) always stays.
  if (*p == '\\') cut = ++p;
  if (*p == '\\') cut = ++p;
  while (*p != '\0') {
    if (*p == '\\') {
      cut = p;
    } else if (*p == ':') {
      cut = ++p;  // after a drive ...
      if (*p == '\\') ++cut;  // ... and its root backslash
      if (*p == '\0') break;
    }
    if (IsAnsiLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0') {
      p += 2;
    } else {
      ++p;
    }
  }
  if (*cut == '\0') return false;
  *cut = '\0';
  return true;
}
