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

bool ReplaceFileWith(const char* source, const char* target) {
  // A read-only, hidden or system file is left as it is, as writing it
  // afresh (CreateFileA with CREATE_ALWAYS) would leave it; a move would
  // replace it, and under Wine even a read-only one. POSIX systems report
  // neither hidden nor system files.
  const uint32_t kept = kAttributeReadOnly | kAttributeHidden | kAttributeSystem;
  const uint32_t attributes = GetPathAttributes(target);
  if (attributes != kInvalidFileAttributes && (attributes & kept) != 0) return false;
  return MoveFileReplacing(source, target);
}
