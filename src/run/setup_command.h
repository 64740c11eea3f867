#ifndef LAUNCHER_RUN_SETUP_COMMAND_H
#define LAUNCHER_RUN_SETUP_COMMAND_H

#include <cstddef>
#include <string>

#include "core/path_buffer.h"
#include "core/settings.h"
#include "platform/process.h"

constexpr size_t kSetupCommandSize = 520;

// Why no setup program is started, or kNone when it is started.
enum class SetupBlock {
  kNone,
  kOwnPathUnknown,     // the launcher's own path cannot be had: it ends here
  kDefaultCmdTooLong,  // DEFAULTCMD does not fit its buffer
  kDefaultCmdEmpty,    // DEFAULTCMD is present but empty
  kUnclosedQuote,      // DEFAULTCMD opens a quote it never closes
  kOutsideDirectory,   // the program is an absolute path or climbs out with ".."
  kLauncherItself,     // the program is the launcher's own file
  kCommandTooLong,     // the program's path or the command line would not fit
};

// How DEFAULTCMD reads: the program named (relative to the launcher's
// directory) and the options after it.
struct SetupCommandParts {
  bool unclosedQuote = false;
  std::string program;  // as written, or with ".exe" added when that file exists
  std::string options;  // blanks before them taken off
  bool found = false;   // `program` names an existing file
  int readings = 0;     // how many blank-separated prefixes name an existing file
};

// A quoted value: the program is the text up to the closing quote. Otherwise
// the longest blank-separated prefix naming a file in `directory` (which ends
// with its backslash), trying ".exe" added to a name without an extension;
// failing that, the first word. Prefixes that leave the directory are never
// tried.
SetupCommandParts ReadSetupCommand(const char* directory, const char* defaultCmd);

// True when `name`, relative to the launcher's directory, would leave it: a
// drive, a leading separator (a UNC path too) or a ".." component.
bool LeavesDirectory(const std::string& name);

struct SetupPlan {
  SetupBlock block = SetupBlock::kOwnPathUnknown;
  char program[kPathBufferSize] = "";  // the full path of the program started
  std::string options;                 // DEFAULTCMD's options, before the tail
  // Exactly what setup receives: "<program>"[ <options>][ <tail>].
  char command[kSetupCommandSize] = "";
  bool programFound = false;  // the program exists (else its start will fail)
  int readings = 0;           // over 1: DEFAULTCMD could be read more ways
  bool waitForTree = false;   // WAITALL: wait for everything setup starts
};

// The program and command line for the launcher at `modulePath` (null: its
// path is unknown).
SetupPlan PlanSetupProgram(const char* modulePath, const LauncherSettings& settings,
                           const char* commandTail);

struct SetupOutcome {
  SetupPlan plan;
  bool started = false;
  ChildProcess process;  // after the wait: its exit code, and how far the wait reached
};

// The step: starts the planned program, by its full path, and waits for it.
SetupOutcome RunSetupProgram(const LauncherSettings& settings, const char* commandTail);

#endif
