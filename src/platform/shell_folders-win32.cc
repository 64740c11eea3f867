#include "platform/shell.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>

#include "platform/library_entry.h"
#include "platform/system_library.h"

// The shell library is loaded only for the one step that asks it, from the
// system directory: imported, it would be mapped into every run, and the
// libraries it loads in turn would be looked for beside the launcher first.
bool GetCommonProgramsFolder(char* path, size_t size) {
  using GetSpecialFolderPathEntry = BOOL(WINAPI*)(HWND, LPSTR, int, BOOL);
  HMODULE shell = LoadSystemLibrary("shell32.dll");
  if (shell == nullptr) return false;
  const auto getPath = LookUp<GetSpecialFolderPathEntry>(shell, "SHGetSpecialFolderPathA");
  char folder[MAX_PATH + 1] = {};
  const bool found = getPath != nullptr && getPath(nullptr, folder, CSIDL_COMMON_PROGRAMS, FALSE);
  FreeLibrary(shell);
  if (!found) return false;
  size_t length = std::strlen(folder);
  if (length >= size) return false;
  std::memcpy(path, folder, length + 1);
  return true;
}
