// MoveFileExA with MOVEFILE_REPLACE_EXISTING where the system only has a
// stub of it: the Windows 95 family exports MoveFileExA, but the call fails
// with ERROR_CALL_NOT_IMPLEMENTED. There the same move is made of MoveFileA
// (which never replaces), DeleteFileA and GetFileAttributesA.
#ifndef LAUNCHER_PLATFORM_MOVE_FALLBACK_H
#define LAUNCHER_PLATFORM_MOVE_FALLBACK_H

#include <cstdint>

// The system calls the move is made of; `context` is handed to each.
struct MoveCalls {
  void* context;
  // MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING); sets *notImplemented
  // when it failed because the system has only the stub.
  bool (*moveReplacing)(void* context, const char* from, const char* to, bool* notImplemented);
  bool (*move)(void* context, const char* from, const char* to);  // MoveFileA
  bool (*remove)(void* context, const char* path);                // DeleteFileA
  uint32_t (*attributes)(void* context, const char* path);        // GetFileAttributesA
};

// Moves `from` to `to` as MoveFileExA with MOVEFILE_REPLACE_EXISTING does,
// falling back to the plain calls when that is a stub. The fallback never
// replaces a directory or a read-only file and never moves a directory onto
// anything. A replaced file is first moved aside beside itself and removed
// only once the new one is in place; should that move fail, it is put back,
// so the target never goes missing.
bool MoveReplacingWith(const MoveCalls& calls, const char* from, const char* to);

#endif
