#include "platform/move_file.h"

#include <windows.h>

bool MoveFileReplacing(const char* from, const char* to) {
  return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0;
}

bool RemoveDirectoryAt(const char* path) { return RemoveDirectoryA(path) != 0; }
