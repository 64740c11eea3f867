// Windows only: libraries loaded at run time, always from the system's own
// directory. The launcher runs with administrator rights from folders anyone
// may write to; a library looked for by bare name could be a stranger's copy
// left beside it (or in the current directory) and would run as the launcher.
#ifndef LAUNCHER_PLATFORM_SYSTEM_LIBRARY_H
#define LAUNCHER_PLATFORM_SYSTEM_LIBRARY_H

#include <windows.h>

// LoadLibraryA on `<system directory>\<fileName>` (GetSystemDirectoryA), never
// on the bare name. Null when the library is not there, or the path cannot be
// had or does not fit.
HMODULE LoadSystemLibrary(const char* fileName);

#endif
