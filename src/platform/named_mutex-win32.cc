#include "platform/system.h"

#include <windows.h>

NamedMutexResult CreateNamedMutex(const char* name) {
  // The handle is deliberately never closed: the mutex marks this launcher
  // as running until the process ends.
  HANDLE mutex = CreateMutexA(nullptr, FALSE, name);
  if (GetLastError() == ERROR_ALREADY_EXISTS) return NamedMutexResult::kAlreadyExists;
  return mutex != nullptr ? NamedMutexResult::kCreated : NamedMutexResult::kFailed;
}
