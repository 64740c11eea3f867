// Processes: starting a program and waiting for it (and for the processes
// it starts), and the primitives that list and end running processes.
#ifndef LAUNCHER_PLATFORM_PROCESS_H
#define LAUNCHER_PLATFORM_PROCESS_H

#include <cstdint>
#include <string>

#include "platform/system.h"

// --- Starting and waiting ----------------------------------------------------

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
  // When the start failed: the system's error code (2 file not found,
  // 3 path not found, 5 access denied, 193 not a program; POSIX errors are
  // given as the Windows codes they stand for), 0 when none is known.
  unsigned long startError = 0;
};

// Starts `program`, a full path used as it is (no search, no extension
// added), with `commandLine` as the command line it receives, whose first
// token should be the program's path, quoted; on POSIX systems the program
// gets the arguments the Windows runtime would split from that line. It
// inherits no handles, the launcher's environment and current directory.
// False when nothing could be started.
bool StartProcess(const char* program, const char* commandLine, ChildProcess* child);

// The file `path` names, or, when it has no extension and names none,
// "path.exe" when that exists; empty when neither is a startable file.
std::string ResolveProgramFile(const std::string& path);

// A file, not a directory (on POSIX systems: one that may be executed).
bool IsStartableFile(const std::string& path);

// As StartProcess, and arranges to wait for every process the child starts,
// and those they start. Where that is not possible the child still starts,
// and `treeWatch` says why only its own process will be waited for.
bool StartProcessTree(const char* program, const char* commandLine, ChildProcess* child);

// Waits without a time limit for the child's own process to end
// (WaitForSingleObject), takes its exit code (GetExitCodeProcess), then, when
// its tree is watched, waits until no process of the tree is left; releases
// everything. The exit code stays the child's own.
void WaitForProcessEnd(ChildProcess* child);

// --- Process identity --------------------------------------------------------

// This process's identifier (GetCurrentProcessId, getpid).
uint32_t CurrentProcessId();

// True while a process of that identifier exists, and whenever that cannot
// be ruled out (one the caller may not query counts as running). Windows
// asks the process for its exit code, which a process that ended itself
// with 259 (STILL_ACTIVE) leaves looking alive; POSIX systems send it the
// null signal.
bool IsProcessRunning(uint32_t processId);

// --- Listing and ending processes --------------------------------------------

// Listing and ending running processes. The two listing interfaces of the
// Windows families are libraries loaded at run time; their entry points are
// handed out as tables of plain functions.
//
// Handles are opaque values. A process or library handle of 0 means the
// open or load failed; a snapshot that could not be taken is
// kInvalidHandleValue, as on Windows.
//
// On POSIX systems (Linux: the /proc process table):
// - The system reports itself as an NT system, so only the process-status
//   table is used; the tool-help library "cannot be loaded".
// - A process may be opened (for querying or for ending) when it exists and
//   this process may signal it, which is the closest match to Windows'
//   access check: processes of other users are not opened unless running
//   as root.
// - A process has one module, its executable, unless it has no user address
//   space (a kernel thread, or a process that has exited but was not yet
//   collected by its parent); listing its modules then fails.
// - The module's base name is the last component of /proc/PID/exe, without
//   the " (deleted)" mark of a replaced file. A program run by Wine shows
//   Wine's loader there ("wine64", "wine64-preloader", ...), while Wine puts
//   the program's Windows command line into /proc/PID/cmdline, whose first
//   argument is the program as it was started ("C:\dir\Prog.exe", or just
//   "prog" when started by a shell); for those the name is the last
//   component of that argument, with ".exe" added when it has no extension,
//   so a Windows program run under Wine is found under its image name. When
//   the executable link cannot be read (a process that made itself
//   unreadable), the last component of the first argument is used, and
//   failing that /proc/PID/comm.
// - Ending a process sends it SIGKILL through a pidfd taken when it was
//   opened, so a process identifier reused in between is never hit. The exit
//   code cannot be chosen.

using SystemHandle = uintptr_t;
constexpr SystemHandle kInvalidHandleValue = ~static_cast<SystemHandle>(0);

// Process access rights.
constexpr uint32_t kProcessTerminate = 0x0001;
constexpr uint32_t kProcessVmRead = 0x0010;
constexpr uint32_t kProcessQueryInformation = 0x0400;

// Tool-help snapshot kinds.
constexpr uint32_t kSnapProcess = 0x2;
constexpr uint32_t kSnapModule = 0x8;

// Every table below hands its `context` to each of its functions as their
// first argument, so that a table can be driven by any state, not only by
// the system's.

// Entry points of the process-status library, "PSAPI.DLL". A null entry was
// not found in the library.
struct ProcessStatusFunctions {
  void* context;
  // Fills `ids` (room for `bytes` / 4 identifiers); `bytesReturned` gets the
  // number of bytes filled.
  bool (*enumProcesses)(void* context, uint32_t* ids, uint32_t bytes, uint32_t* bytesReturned);
  // Fills `modules` (room for `bytes` / sizeof(SystemHandle) handles) with
  // the process's modules, the executable first.
  bool (*enumProcessModules)(void* context, SystemHandle process, SystemHandle* modules,
                             uint32_t bytes, uint32_t* bytesNeeded);
  // Copies the module's base name into `name`, cut to `size` - 1 bytes and
  // terminated; returns its length, 0 on failure.
  uint32_t (*getModuleBaseNameA)(void* context, SystemHandle process, SystemHandle module,
                                 char* name, uint32_t size);
};

// What the tool-help functions report of a process and of a module.
struct ToolHelpProcessEntry {
  uint32_t processId;
};
struct ToolHelpModuleEntry {
  char module[256];  // the module's name, terminated
};

// Tool-help entry points, looked up in "Kernel32.DLL". A null entry was not
// found.
struct ToolHelpFunctions {
  void* context;
  // kInvalidHandleValue when no snapshot can be taken.
  SystemHandle (*createToolhelp32Snapshot)(void* context, uint32_t flags, uint32_t processId);
  bool (*process32First)(void* context, SystemHandle snapshot, ToolHelpProcessEntry* entry);
  bool (*process32Next)(void* context, SystemHandle snapshot, ToolHelpProcessEntry* entry);
  bool (*module32First)(void* context, SystemHandle snapshot, ToolHelpModuleEntry* entry);
  bool (*module32Next)(void* context, SystemHandle snapshot, ToolHelpModuleEntry* entry);
};

// Everything process termination asks of the system.
struct ProcessSystem {
  void* context;
  bool (*queryOsVersion)(void* context, OsVersion* version);
  // Loads the library and looks up every entry point, filling the whole
  // table, its context included; returns the library handle, 0 when the
  // library cannot be loaded.
  SystemHandle (*loadProcessStatus)(void* context, ProcessStatusFunctions* functions);
  SystemHandle (*loadToolHelp)(void* context, ToolHelpFunctions* functions);
  void (*freeLibrary)(void* context, SystemHandle library);
  // 0 when the process cannot be opened with that access.
  SystemHandle (*openProcess)(void* context, uint32_t access, uint32_t processId);
  bool (*terminateProcess)(void* context, SystemHandle process, uint32_t exitCode);
  void (*closeHandle)(void* context, SystemHandle handle);
};

// The running system's functions.
const ProcessSystem& RunningProcessSystem();

#endif
