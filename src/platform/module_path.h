#ifndef LAUNCHER_PLATFORM_MODULE_PATH_H
#define LAUNCHER_PLATFORM_MODULE_PATH_H

// Full path of the running executable in drive form (D:\dir\Setup.exe),
// zero-terminated in `buffer`. Returns its length, or 0 when the path cannot
// be had or does not fit `size` bytes with its terminator.
unsigned long GetLauncherModulePath(char* buffer, unsigned long size);

#endif
