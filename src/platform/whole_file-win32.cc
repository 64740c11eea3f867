#include "platform/file_system.h"

#include <cstdio>
#include <string>
#include <utility>

// In a file of its own, as is its POSIX twin: the launcher reads no whole
// file, and the linker keeps all of an object that it pulls in.

// Plain stdio rather than file streams: those pull in runtime functions
// (_fstat64) that older systems' msvcrt.dll lacks.
bool ReadWholeFile(const char* path, std::string* contents) {
  std::FILE* in = std::fopen(path, "rb");
  if (in == nullptr) return false;
  std::string text;
  char chunk[4096];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof(chunk), in)) > 0) text.append(chunk, got);
  const bool failed = std::ferror(in) != 0;
  std::fclose(in);
  if (failed) return false;
  *contents = std::move(text);
  return true;
}
