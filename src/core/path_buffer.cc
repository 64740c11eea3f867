#include "core/path_buffer.h"

#include <cstring>

bool CopyWhole(char* buffer, size_t size, const char* text) {
  size_t length = std::strlen(text);
  if (length >= size) {
    if (size > 0) buffer[0] = '\0';
    return false;
  }
  std::memcpy(buffer, text, length + 1);
  return true;
}
