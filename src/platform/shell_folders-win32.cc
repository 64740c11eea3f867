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

bool GetDefaultUserAppDataFolder(char* path, size_t size) {
  // Looked up: shell32 exports it from version 5.0 (Windows 2000) on.
  using GetFolderPathEntry = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
  HMODULE shell = LoadSystemLibrary("shell32.dll");
  if (shell == nullptr) return false;
  const auto getPath = LookUp<GetFolderPathEntry>(shell, "SHGetFolderPathA");
  // The token -1 stands for the default user; without a token the answer
  // is the current user's, which some systems also give for -1.
  const HANDLE kDefaultUserToken = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-1));
  char defaultUser[MAX_PATH + 1] = {};
  char currentUser[MAX_PATH + 1] = {};
  const bool named =
      getPath != nullptr &&
      getPath(nullptr, CSIDL_APPDATA, kDefaultUserToken, SHGFP_TYPE_CURRENT, defaultUser) == S_OK &&
      defaultUser[0] != '\0' &&
      !(getPath(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, currentUser) == S_OK &&
        SameFolderText(defaultUser, currentUser));
  FreeLibrary(shell);
  if (!named) return false;
  size_t length = std::strlen(defaultUser);
  while (length > 1 && defaultUser[length - 1] == '\\') --length;
  if (length >= size) return false;
  std::memcpy(path, defaultUser, length);
  path[length] = '\0';
  return true;
}

bool GetProfilesFolder(char* path, size_t size) {
  // userenv.dll exists on the NT systems only; GetProfilesDirectoryA from
  // Windows 2000 on.
  using GetProfilesDirectoryEntry = BOOL(WINAPI*)(LPSTR, LPDWORD);
  HMODULE userenv = LoadSystemLibrary("userenv.dll");
  if (userenv == nullptr) return false;
  const auto getDirectory = LookUp<GetProfilesDirectoryEntry>(userenv, "GetProfilesDirectoryA");
  char folder[MAX_PATH + 1] = {};
  DWORD length = sizeof(folder);
  const bool found = getDirectory != nullptr && getDirectory(folder, &length) && folder[0] != '\0';
  FreeLibrary(userenv);
  if (!found) return false;
  size_t used = std::strlen(folder);
  while (used > 1 && folder[used - 1] == '\\') --used;
  if (used >= size) return false;
  std::memcpy(path, folder, used);
  path[used] = '\0';
  return true;
}
