#include "platform/file_system.h"

// Each system's single write (WriteFile, write): the number of bytes it
// wrote, 0 when it wrote none.
size_t WriteOnce(OutputFile* file, const void* data, size_t size);

bool WriteOutputFile(OutputFile* file, const void* data, size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const size_t written = WriteOnce(file, bytes, size);
    if (written == 0) return false;
    bytes += written;
    size -= written;
  }
  return true;
}
