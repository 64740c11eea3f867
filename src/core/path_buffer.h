#ifndef LAUNCHER_CORE_PATH_BUFFER_H
#define LAUNCHER_CORE_PATH_BUFFER_H

#include <cstddef>

// Paths and configuration strings: at most 260 bytes and a terminator.
constexpr size_t kPathBufferSize = 261;

// Copies `text` into `buffer` when it fits with its terminator; otherwise
// leaves `buffer` empty and returns false. A path that does not fit is never
// cut, since a cut path names some other file.
bool CopyWhole(char* buffer, size_t size, const char* text);

#endif
