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

namespace {

size_t LengthWithoutTrailingBackslashes(const char* path) {
  size_t length = 0;
  size_t kept = 0;
  for (const char* p = path; *p != '\0';) {
    const bool pair = IsAnsiLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0';
    length += pair ? 2 : 1;
    if (*p != '\\' || pair) kept = length;
    p += pair ? 2 : 1;
  }
  return kept;
}

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool SameFolderText(const char* a, const char* b) {
  const size_t length = LengthWithoutTrailingBackslashes(a);
  if (length != LengthWithoutTrailingBackslashes(b)) return false;
  for (size_t i = 0; i < length; ++i) {
    if (IsAnsiLeadByte(static_cast<unsigned char>(a[i])) && i + 1 < length) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
      ++i;
      continue;
    }
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}
