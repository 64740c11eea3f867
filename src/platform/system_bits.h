// Whether the running system is a 64-bit one, whatever this program's own
// build: a 32-bit program there is redirected (System32 to SysWOW64,
// HKLM\Software to Wow6432Node).
#ifndef LAUNCHER_PLATFORM_SYSTEM_BITS_H
#define LAUNCHER_PLATFORM_SYSTEM_BITS_H

// True on 64-bit Windows (for a 32-bit program: it runs under WOW64), and on
// a POSIX system whose machine is a 64-bit one.
bool IsSystem64Bit();

#endif
