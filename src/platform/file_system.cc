#include "platform/file_system.h"

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
