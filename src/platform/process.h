#ifndef LAUNCHER_PLATFORM_PROCESS_H
#define LAUNCHER_PLATFORM_PROCESS_H

#include <cstdint>

// How far a wait reaches beyond the child's own process.
enum class TreeWatch {
  kNotAsked,      // the child's own process only, as asked
  kWatched,       // the child and everything started from it
  kNoJobObjects,  // asked, but the system has no job objects (95 family, NT 4.0)
  kNotInJob,      // asked, but no job could be made or the child put in it
                  // (e.g. the launcher runs in a job, before Windows 8)
  kNoSubreaper,   // asked, but the kernel cannot make the launcher a subreaper
};

struct ChildProcess {
  intptr_t handle = 0;  // a process handle on Windows, a pid elsewhere
  intptr_t job = 0;     // Windows: the job holding the child's tree, if any
  TreeWatch treeWatch = TreeWatch::kNotAsked;
  unsigned long treeError = 0;  // the system's error code behind kNotInJob
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

// As StartProcess, and arranges to wait for every process the child starts,
// and those they start. Where that is not possible the child still starts,
// and `treeWatch` says why only its own process will be waited for.
bool StartProcessTree(const char* commandLine, ChildProcess* child);

// Waits without a time limit for the child's own process to end, takes its
// exit code, then, when its tree is watched, waits until no process of the
// tree is left; releases everything. The exit code stays the child's own.
void WaitForProcessEnd(ChildProcess* child);

#endif
