#include "platform/move_file.h"

#include <windows.h>

#include "platform/move_fallback.h"

namespace {

bool MoveReplacingCall(void*, const char* from, const char* to, bool* notImplemented) {
  if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING)) return true;
  *notImplemented = GetLastError() == ERROR_CALL_NOT_IMPLEMENTED;
  return false;
}
bool MoveCall(void*, const char* from, const char* to) { return MoveFileA(from, to) != 0; }
bool RemoveCall(void*, const char* path) { return DeleteFileA(path) != 0; }
uint32_t AttributesCall(void*, const char* path) { return GetFileAttributesA(path); }

}  // namespace

bool MoveFileReplacing(const char* from, const char* to) {
  static const MoveCalls kSystem = {nullptr, MoveReplacingCall, MoveCall, RemoveCall,
                                    AttributesCall};
  return MoveReplacingWith(kSystem, from, to);
}

bool RemoveDirectoryAt(const char* path) { return RemoveDirectoryA(path) != 0; }
