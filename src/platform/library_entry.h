// Windows only: an entry point of a library loaded at run time, for
// functions that some supported systems do not export (importing them would
// keep the launcher from loading there).
#ifndef LAUNCHER_PLATFORM_LIBRARY_ENTRY_H
#define LAUNCHER_PLATFORM_LIBRARY_ENTRY_H

#include <windows.h>

// Null when the library does not export `name`.
template <typename Entry>
Entry LookUp(HMODULE library, const char* name) {
  FARPROC found = GetProcAddress(library, name);
  return reinterpret_cast<Entry>(reinterpret_cast<void (*)()>(found));
}

#endif
