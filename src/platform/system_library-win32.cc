#include "platform/system_library.h"

#include <string>

#include "platform/library_entry.h"
#include "platform/system.h"

HMODULE LoadSystemLibrary(const char* fileName) {
  std::string path;
  if (!GetSystemDirectoryPath(&path)) return nullptr;
  path = path + "\\" + fileName;
  if (path.size() > MAX_PATH) return nullptr;
  // The libraries it imports in turn are then looked for in its own folder,
  // the system's, rather than beside the launcher.
  return LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

void RestrictLibrarySearch() {
  // kernel32 is mapped into every process before its first instruction, so
  // asking for its handle loads nothing.
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (kernel == nullptr) return;
  using SetDefaultDllDirectoriesEntry = BOOL(WINAPI*)(DWORD);
  using SetDllDirectoryEntry = BOOL(WINAPI*)(LPCSTR);
  constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
  const auto setDefault =
      LookUp<SetDefaultDllDirectoriesEntry>(kernel, "SetDefaultDllDirectories");
  if (setDefault != nullptr && setDefault(kSearchSystem32)) return;
  const auto setDirectory = LookUp<SetDllDirectoryEntry>(kernel, "SetDllDirectoryA");
  if (setDirectory != nullptr) setDirectory("");
}
