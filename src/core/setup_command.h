#ifndef LAUNCHER_CORE_SETUP_COMMAND_H
#define LAUNCHER_CORE_SETUP_COMMAND_H

#include <cstddef>

#include "core/path_buffer.h"
#include "core/settings.h"
#include "platform/process.h"

constexpr size_t kSetupCommandSize = 520;

// The setup program's path: the launcher's module path with everything after
// its last backslash replaced by `setupProgram` (appended when there is no
// backslash). False, with `setupPath` empty, when it would not fit.
bool BuildSetupPath(const char* modulePath, const char* setupProgram, char* setupPath);

// "<setup path> <tail>", or the setup path alone for an empty tail. False,
// with `command` empty, when it would not fit kSetupCommandSize.
bool BuildSetupCommand(const char* setupPath, const char* commandTail, char* command);

// Why no setup program is started, or kNone when the command is built.
enum class SetupBlock {
  kNone,
  kOwnPathUnknown,     // the launcher's own path cannot be had: it ends here
  kDefaultCmdTooLong,  // DEFAULTCMD does not fit its buffer
  kCommandTooLong,     // the setup path or the command would not fit
};

struct SetupPlan {
  SetupBlock block = SetupBlock::kOwnPathUnknown;
  // The program it names is for the process start to find
  // (FindCommandProgram), which the launcher leaves to the start itself.
  char command[kSetupCommandSize] = "";
  bool defaultCmdEmpty = false;  // the command then names the launcher's folder
  bool waitForTree = false;      // WAITALL: wait for everything setup starts
};

// The command for the launcher at `modulePath` (null: its path is unknown).
SetupPlan PlanSetupProgram(const char* modulePath, const LauncherSettings& settings,
                           const char* commandTail);

struct SetupOutcome {
  SetupPlan plan;
  bool started = false;
  ChildProcess process;  // after the wait: its exit code, and how far the wait reached
};

// The step: starts the setup program and waits for it. A setup path or
// command that does not fit its buffer starts nothing, as a missing program
// would.
SetupOutcome RunSetupProgram(const LauncherSettings& settings, const char* commandTail);

#endif
