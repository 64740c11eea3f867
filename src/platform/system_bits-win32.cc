#include "platform/system_bits.h"

#include <windows.h>

#include "platform/library_entry.h"
#include "platform/system_library.h"

bool IsSystem64Bit() {
#ifdef _WIN64
  return true;
#else
  // IsWow64Process is missing before XP SP2: those systems are 32-bit ones.
  using IsWow64ProcessEntry = BOOL(WINAPI*)(HANDLE, PBOOL);
  HMODULE kernel = LoadSystemLibrary("Kernel32.DLL");
  if (kernel == nullptr) return false;
  BOOL wow64 = FALSE;
  const auto isWow64 = LookUp<IsWow64ProcessEntry>(kernel, "IsWow64Process");
  const bool result = isWow64 != nullptr && isWow64(GetCurrentProcess(), &wow64) && wow64;
  FreeLibrary(kernel);
  return result;
#endif
}
