// A library that tells when it is loaded: copies of it, named as the
// libraries a program loads, are planted beside that program. When the
// loader maps one, it leaves "<its own path>.ran" and refuses to load
// (its DllMain fails), so a planted copy is seen even where its missing
// exports would otherwise stop the program. It uses no C runtime, so that
// it can stand in for the runtime's own library too.
#include <windows.h>

extern "C" BOOL WINAPI MarkerEntry(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  char path[MAX_PATH + 8];
  const DWORD length = GetModuleFileNameA(instance, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return FALSE;
  const char suffix[] = ".ran";
  for (DWORD i = 0; i < sizeof(suffix); ++i) path[length + i] = suffix[i];
  HANDLE marker = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
  return FALSE;
}
