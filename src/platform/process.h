#ifndef LAUNCHER_PLATFORM_PROCESS_H
#define LAUNCHER_PLATFORM_PROCESS_H

#include <cstdint>

struct ChildProcess {
  intptr_t handle = 0;  // a process handle on Windows, a pid elsewhere
  // Filled by WaitForProcessEnd: the code the process ended with, when the
  // system could tell it (GetExitCodeProcess; on POSIX systems only a
  // normal exit counts, not the end by a signal).
  bool exitCodeKnown = false;
  uint32_t exitCode = 0;
};

// Starts a program the way CreateProcessA does when given only a command
// line: the program is the first token (quoted, or else the shortest
// blank-separated prefix that names a file, ".exe" added when it has no
// extension); it inherits no handles, the launcher's environment and current
// directory. False when nothing could be started.
bool StartProcess(const char* commandLine, ChildProcess* child);

// Waits without a time limit for the child's own process to end, takes its
// exit code and releases it. Grandchildren are not waited for.
void WaitForProcessEnd(ChildProcess* child);

#endif
